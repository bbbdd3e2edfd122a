#include "StringU.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "ErrorsU.h"

namespace corvina {

std::string FormatFloatG(double value) {
    for (int precision = 1; precision <= 17; ++precision) {
        std::string text = FormatText("%.*f", precision, value);
        if (std::strtod(text.c_str(), nullptr) == value) {
            // Drop trailing zeros and a bare decimal point.
            while (!text.empty() && text.back() == '0') text.pop_back();
            if (!text.empty() && text.back() == '.') text.pop_back();
            return text;
        }
    }
    return FormatText("%.17g", value);
}

std::string Trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return std::string(text.substr(b, e - b));
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string SanitizeFileName(const std::string& name) {
    std::string out;
    for (char c : name)
        if (std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos) out += c;
    return out.empty() ? "Noname" : out;
}

namespace {
std::string WithDelimiter(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}
} // namespace

std::string BuildFileName(const std::string& folder, const std::string& fileName,
                          const std::string& extension, const std::string& programFolder) {
    std::string dir = WithDelimiter(Trim(folder));
    const size_t slash = fileName.find_last_of('/');
    const std::string namePart = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    if (dir.empty()) {
        const std::string own = slash == std::string::npos ? "" : fileName.substr(0, slash + 1);
        dir = WithDelimiter(Trim(own));
        if (dir.empty()) dir = WithDelimiter(programFolder);
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec))
        throw ECorvinaError(FormatText("The provided path '%s' does not exist.", dir.c_str()));

    std::string name = Trim(namePart);
    if (name.empty()) throw ECorvinaError("The provided filename is empty.");
    std::string ownExt;
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) {
        ownExt = name.substr(dot);
        name.resize(name.find(ownExt));
    }
    std::string ext = Trim(extension);
    if (!ext.empty() && ext.find('.') == std::string::npos) ext = "." + ext;
    if (ext.empty()) ext = ownExt;
    if (ext.empty())
        throw ECorvinaError(
            FormatText("No extension defined for file %s%s", dir.c_str(), name.c_str()));
    return dir + name + ext;
}

bool NextNumber(std::string& text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i == text.size()) return false;
    int64_t v = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        if (v <= MaxInt32) v = v * 10 + (text[i] - '0');
        ++i;
    }
    value = v > MaxInt32 ? MaxInt32 : static_cast<int32_t>(v);
    text.erase(0, std::min(text.size(), i + 1));
    return true;
}

namespace {
int32_t ByteLimit(int32_t max) {
    return (max > 0 && max < 127) ? max : 127;
}

void CheckLimit(int32_t value, int32_t limit) {
    if (value > limit)
        throw ECorvinaError(FormatText("Found a number (%d) bigger than %d.", value, limit));
}
} // namespace

void ParseCountedNumbers(std::string text, TShortIntArray& list, int32_t max) {
    if (list.empty()) return;
    const int32_t limit = ByteLimit(max);
    list[0] = 0;
    int32_t value = 0;
    int count = 0;
    while (count < static_cast<int>(list.size()) - 1 && NextNumber(text, value)) {
        CheckLimit(value, limit);
        ++count;
        list[0] = static_cast<int8_t>(std::min(count, 127));
        list[count] = static_cast<int8_t>(value);
    }
}

int ParseNumbers(std::string text, TShortIntArray& list, int32_t max) {
    const int32_t limit = ByteLimit(max);
    int32_t value = 0;
    int count = 0;
    while (count < static_cast<int>(list.size()) && NextNumber(text, value)) {
        CheckLimit(value, limit);
        list[count++] = static_cast<int8_t>(value);
    }
    return count;
}

void AppendNumbers(std::string text, TShortIntArray& list) {
    int32_t value = 0;
    while (NextNumber(text, value)) {
        CheckLimit(value, 127);
        list.push_back(static_cast<int8_t>(value));
    }
}

std::string JoinNumbers(const TShortIntArray& list, const std::string& separator) {
    std::string out;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i) out += separator;
        out += std::to_string(list[i]);
    }
    return out;
}

uint32_t Darken(uint32_t colour) {
    const uint32_t r = (colour & 0xFFu) >> 1;
    const uint32_t g = ((colour >> 8) & 0xFFu) >> 1;
    const uint32_t b = ((colour >> 16) & 0xFFu) >> 1;
    return (colour & 0xFF000000u) | r | (g << 8) | (b << 16);
}

} // namespace corvina
