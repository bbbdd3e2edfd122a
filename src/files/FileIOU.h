#pragma once
// Text lines with any line end, and file writes that never leave a half-written file.
#include <cstdio>
#include <fstream>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace corvina {

// Lines of a text: a line ends at CR LF, at LF or at a lone CR; a last line without
// an end counts as a line; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);

// The same rule, line by line from a stream, so large files need not be held whole.
class TLineReader {
  public:
    explicit TLineReader(std::istream& input) : Input(input) {}
    // False when the input is exhausted (or a read error occurred: see Failed).
    bool Next(std::string& line);
    bool Failed() const { return Input.bad(); }

  private:
    std::istream& Input;
};

// Writes into "<target>.tmp" in the target's folder and renames it over the target
// on Commit. Until Commit succeeds the target keeps its old content; a writer that is
// destroyed without Commit removes its temporary file. Failures raise ECorvinaError.
class TAtomicFileWriter {
  public:
    explicit TAtomicFileWriter(const std::string& target);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    void Write(std::string_view data);
    void Commit();

    static std::string TempName(const std::string& target) { return target + ".tmp"; }

  private:
    void Discard();
    std::string Target;
    std::string Temp;
    std::ofstream Out;
    bool Committed = false;
};

void WriteFileAtomically(const std::string& target, std::string_view content);

} // namespace corvina
