#pragma once
// The draw history of the history compare filter: one past draw per line, from a
// file or the clipboard.
#include <cstdint>
#include <optional>
#include <string>

#include "FileAnalyseU.h"
#include "core/BaseStoreU.h"
#include "core/TypesU.h"

namespace corvina {

class TFileLoader {
  public:
    static constexpr int32_t MaxDrawNumber = 99;

    // Reads the file (source 0) or the clipboard text (source 1; no value or an
    // empty text means the clipboard holds no text). The loader is full when the
    // constructor returns; otherwise it raises ECorvinaError with "Unable to locate
    // file %s.", "No valid data found in clipboard." or "Found a number (%d) bigger
    // than %d.".
    TFileLoader(uint8_t source, const std::string& fileName,
                const std::optional<std::string>& clipboardText = std::nullopt);
    TFileLoader(const TFileLoader&) = delete;
    TFileLoader& operator=(const TFileLoader&) = delete;

    int DrawCount() const { return DrawTexts.Count(); }
    // A copy of the i-th draw (from 1), its numbers in the order of the line; empty
    // out of range.
    TShortIntArray GetDraw(int i) const;

    TShortIntArray LineBuffer = TShortIntArray(100, 0); // [0] count, [1..99] numbers
    TArrayOfShortIntArray Draws;
    TStringStore DrawTexts; // numbers without leading zeros, single spaces between

  private:
    void AddLine(const std::string& line);
};

} // namespace corvina
