#pragma once
// Coverings outside the program: the text form (one block per line, from a file or
// the clipboard) and the compressed file (.cvc). TFileAnalyseClass reads and checks
// a source for the import; the writers produce both forms.
#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/BaseStoreU.h"
#include "core/TypesU.h"

namespace corvina {

// Where a covering or a draw history is read from.
inline constexpr uint8_t SourceFile = 0;
inline constexpr uint8_t SourceClipboard = 1;

inline constexpr const char* CompressedExtension = "cvc";
inline constexpr const char* TextExtension = "txt";
inline constexpr size_t CompressedHeaderSize = 16;

class TFileAnalyseClass {
  public:
    TFileAnalyseClass() = default;
    TFileAnalyseClass(const TFileAnalyseClass&) = delete;
    TFileAnalyseClass& operator=(const TFileAnalyseClass&) = delete;

    // Reads the file (source 0; compressed or text) or the clipboard text (source 1;
    // no value, or an empty text, means the clipboard holds no text), fills the
    // fields and returns Valid. Each call starts from a clean state.
    bool Analyse(uint8_t source, const std::string& fileName, bool compressed,
                 const std::optional<std::string>& clipboardText = std::nullopt);

    int LineCount() const { return Lines.Count(); }
    // The i-th accepted line (from 1) as read; empty out of range.
    std::string GetLine(int i) const;
    // The points of the i-th accepted line, ascending and renumbered through
    // PointMap to 1..PointCount. False out of range or without a valid analysis.
    bool GetMappedBlock(int i, TShortIntArray& points) const;

    TStringStore Lines;
    uint8_t Source = SourceFile;
    int32_t PointCount = 0;
    int32_t BlockSize = 0;
    int32_t HighestPoint = 0;
    bool Valid = false;
    // One byte per number n = 1..100, at index n - 1: 1 when some line uses it.
    std::array<uint8_t, 100> SelectedFlags{};
    std::array<bool, 100> UsedPoints{};   // index = point
    std::array<int8_t, 100> PointMap{};   // index = point; 1..PointCount, 0 when unused
    std::array<int32_t, 13> LineBuffer{}; // [0] count, [1..12] numbers, kept 32-bit
                                          // so 300 is never read as 44
    std::string FileName;
    bool Compressed = false;

    // The message the window shows in an error box after Analyse; empty when there is
    // none (lines that fail the checks end the reading silently).
    std::string ErrorText;
    // Why the last analysis is not valid, for logs and the command line.
    std::string FailReason;

  private:
    void Reset();
    bool CheckLine(const std::string& line, int64_t lineNumber);
    bool ReadText(std::istream& input);
    bool ReadCompressed();
    void Finish();
};

// A block as text: each point as "%2.2d", joined by the separator. With a non-empty
// mapping (the selected numbers, ascending), point p is written as mapping[p - 1];
// a point outside 1..mapping size raises ECorvinaError.
std::string CoveringLine(std::span<const int8_t> points, const std::string& separator,
                         std::span<const int8_t> mapping = {});

// The text form of a covering: one line per rank, CR LF after every line. myNumbers
// are the selected "My numbers"; they translate the points only when there are
// exactly v of them. Raises ECorvinaError for unusable v, k or a rank outside
// 0..C(v, k) - 1.
std::string CoveringText(std::span<const int32_t> ranks, int v, int k, const std::string& separator,
                         const TShortIntArray& myNumbers = {});

// The compressed form: header (0, "CVC", v, k, block count) and one little-endian
// 32-bit rank per block; the points are never translated.
std::string CompressedCovering(std::span<const int32_t> ranks, int v, int k);

class TAtomicFileWriter;

// Writes a covering file block by block, so that long coverings (a full
// construction) need not be held as text. Nothing reaches the target before Commit;
// a writer destroyed without Commit leaves the previous file as it was.
class TCoveringFileWriter {
  public:
    // blockCount is the number of WriteRank calls to come (the compressed header
    // holds it; Commit checks it).
    TCoveringFileWriter(const std::string& fileName, bool compressed, int v, int k,
                        int32_t blockCount, const std::string& separator = " ",
                        const TShortIntArray& myNumbers = {});
    ~TCoveringFileWriter();
    TCoveringFileWriter(const TCoveringFileWriter&) = delete;
    TCoveringFileWriter& operator=(const TCoveringFileWriter&) = delete;

    void WriteRank(int32_t rank);
    void Commit();

  private:
    void Flush();
    std::unique_ptr<TAtomicFileWriter> Out;
    bool Compressed;
    int V, K;
    int32_t Possible;
    int32_t Expected;
    int64_t Written = 0;
    std::string Separator;
    TShortIntArray Mapping;
    TShortIntArray Points;
    std::string Buffer;
};

void SaveCoveringText(const std::string& fileName, std::span<const int32_t> ranks, int v, int k,
                      const std::string& separator, const TShortIntArray& myNumbers = {});
void SaveCompressedCovering(const std::string& fileName, std::span<const int32_t> ranks, int v,
                            int k);

} // namespace corvina
