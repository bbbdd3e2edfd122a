#include "FileIOU.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/ErrorsU.h"
#include "core/StringU.h"

namespace corvina {

namespace fs = std::filesystem;

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0, i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

bool TLineReader::Next(std::string& line) {
    line.clear();
    std::streambuf* buf = Input.rdbuf();
    if (!buf || !Input.good()) return false;
    bool any = false;
    for (;;) {
        const int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            Input.setstate(std::ios::eofbit);
            return any;
        }
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            if (buf->sgetc() == '\n') buf->sbumpc();
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
}

namespace {
std::string SystemMessage(int error) {
    return error ? std::error_code(error, std::generic_category()).message() : std::string();
}
} // namespace

TAtomicFileWriter::TAtomicFileWriter(const std::string& target)
    : Target(target), Temp(TempName(target)) {
    errno = 0;
    Out.open(Temp, std::ios::binary | std::ios::trunc);
    if (!Out.is_open()) {
        const int error = errno;
        throw ECorvinaError(FormatText("Cannot create file \"%s\". %s", Target.c_str(),
                                       SystemMessage(error).c_str()));
    }
}

TAtomicFileWriter::~TAtomicFileWriter() {
    if (!Committed) Discard();
}

void TAtomicFileWriter::Discard() {
    if (Out.is_open()) Out.close();
    std::error_code ec;
    fs::remove(Temp, ec);
}

void TAtomicFileWriter::Write(std::string_view data) {
    if (Committed) return;
    Out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!Out) {
        Discard();
        throw ECorvinaError(FormatText("Cannot write file \"%s\".", Target.c_str()));
    }
}

void TAtomicFileWriter::Commit() {
    if (Committed) return;
    Out.flush();
    const bool written = static_cast<bool>(Out);
    Out.close();
    if (!written || Out.fail()) {
        Discard();
        throw ECorvinaError(FormatText("Cannot write file \"%s\".", Target.c_str()));
    }
    std::error_code ec;
    fs::rename(Temp, Target, ec);
    if (ec) {
        Discard();
        throw ECorvinaError(
            FormatText("Cannot replace file \"%s\". %s", Target.c_str(), ec.message().c_str()));
    }
    Committed = true;
}

void WriteFileAtomically(const std::string& target, std::string_view content) {
    TAtomicFileWriter writer(target);
    writer.Write(content);
    writer.Commit();
}

} // namespace corvina
