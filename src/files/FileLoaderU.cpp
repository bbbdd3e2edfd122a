#include "FileLoaderU.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FileIOU.h"
#include "core/ErrorsU.h"
#include "core/StringU.h"

namespace corvina {

namespace fs = std::filesystem;

TFileLoader::TFileLoader(uint8_t source, const std::string& fileName,
                         const std::optional<std::string>& clipboardText) {
    if (source == SourceClipboard) {
        if (!clipboardText || clipboardText->empty())
            throw ECorvinaError("No valid data found in clipboard.");
        for (const std::string& line : SplitLines(*clipboardText)) AddLine(line);
        return;
    }
    std::error_code ec;
    if (!fs::exists(fileName, ec) || fs::is_directory(fileName, ec))
        throw ECorvinaError(FormatText("Unable to locate file %s.", fileName.c_str()));
    std::ifstream input(fileName, std::ios::binary);
    if (!input.is_open())
        throw ECorvinaError(FormatText("Cannot open file \"%s\".", fileName.c_str()));
    TLineReader reader(input);
    std::string line;
    while (reader.Next(line)) AddLine(line);
    if (reader.Failed())
        throw ECorvinaError(FormatText("Cannot read file \"%s\".", fileName.c_str()));
}

void TFileLoader::AddLine(const std::string& line) {
    ParseCountedNumbers(line, LineBuffer, MaxDrawNumber);
    const int count = LineBuffer[0];
    if (count == 0) return;
    TShortIntArray draw(LineBuffer.begin() + 1, LineBuffer.begin() + 1 + count);
    DrawTexts.AddString(JoinNumbers(draw, " "));
    Draws.push_back(std::move(draw));
}

TShortIntArray TFileLoader::GetDraw(int i) const {
    if (i < 1 || i > static_cast<int>(Draws.size())) return {};
    return Draws[static_cast<size_t>(i) - 1];
}

} // namespace corvina
