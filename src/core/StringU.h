#pragma once
// Text helpers: format strings, file names and number lists.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "TypesU.h"

namespace corvina {

// printf-style formatting into a std::string.
template <class... Args> std::string FormatText(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.resize(static_cast<size_t>(n));
    return out;
}

// The shortest decimal text that reads back as the same value, without an exponent
// for ordinary magnitudes (the way the program shows rates such as 99.5 or 0.01).
std::string FormatFloatG(double value);

std::string Trim(std::string_view text);
bool SameTextAscii(std::string_view a, std::string_view b);

std::string SanitizeFileName(const std::string& name);

// Full file name from a folder, a name and an extension; `programFolder` is the
// folder used when neither argument names one. Raises ECorvinaError with the
// message of the failed step.
std::string BuildFileName(const std::string& folder, const std::string& fileName,
                          const std::string& extension, const std::string& programFolder);

// Reads the next unsigned digit run. Runs too long for 32 bits saturate at the
// largest 32-bit value.
bool NextNumber(std::string& text, int32_t& value);

// Fills list[1..] with the numbers of text and list[0] with their count; never
// writes past the list. A value above `max` (when max > 0), or above 127 (the
// largest value a signed byte holds), raises "Found a number (%d) bigger than %d.".
void ParseCountedNumbers(std::string text, TShortIntArray& list, int32_t max);
// The same without the count element; returns how many numbers were stored.
int ParseNumbers(std::string text, TShortIntArray& list, int32_t max);
// Appends every number of the text (each at most 127) to the list.
void AppendNumbers(std::string text, TShortIntArray& list);
std::string JoinNumbers(const TShortIntArray& list, const std::string& separator);

uint32_t Darken(uint32_t colour);

} // namespace corvina
