#include "OptionsU.h"

#include <exception>
#include <filesystem>

#include "IniFileU.h"
#include "core/ErrorsU.h"

namespace corvina {

namespace fs = std::filesystem;

namespace {

constexpr const char* SecOptimization = "OPTIMIZATION";
constexpr const char* SecImprovement = "IMPROVEMENTACTIONS";
constexpr const char* SecBlocksDisplay = "BLOCKSDISPLAY";

std::string OptionsPath(const std::string& programFolder) {
    return (fs::path(programFolder) / OptionsFileName).string();
}

bool FileExists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && fs::is_regular_file(name, ec);
}

bool DirectoryExists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && fs::is_directory(name, ec);
}

// Code point of a well-formed UTF-8 character as returned by FirstCharacter.
char32_t CodePoint(std::string_view c) {
    const auto b = [&](size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(c[i]));
    };
    switch (c.size()) {
    case 1:
        return b(0);
    case 2:
        return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
        return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    case 4:
        return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    default:
        return 0;
    }
}

} // namespace

std::string FirstCharacter(std::string_view text) {
    if (text.empty()) return std::string();
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80)
        return std::string(text.substr(0, 1));
    else if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, min = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, min = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, min = 0x10000;
    else
        return std::string();
    if (text.size() < length) return std::string();
    for (size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return std::string();
    const std::string_view c = text.substr(0, length);
    const char32_t cp = CodePoint(c);
    // Overlong forms, surrogates and values beyond Unicode are not characters.
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return std::string();
    return std::string(c);
}

bool IsUnusableSeparator(std::string_view character) {
    const char32_t cp = CodePoint(character);
    return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F) || (cp >= '0' && cp <= '9');
}

TProgramOptions ReadOptions(const std::string& programFolder) {
    TProgramOptions options;
    const std::string path = OptionsPath(programFolder);
    if (FileExists(path)) {
        try {
            TIniFile ini;
            ini.LoadFromFile(path);
            options.SpeedupMode = ini.ReadBool(SecOptimization, "SpeedupMode", options.SpeedupMode);
            options.MaxMotherBlocksFocus = ini.ReadInteger(SecOptimization, "MaxMotherBlocksFocus",
                                                           options.MaxMotherBlocksFocus);
            options.ImprovementSoundMode =
                ini.ReadBool(SecImprovement, "ImprovementSoundMode", options.ImprovementSoundMode);
            options.ImprovementSoundName = ini.ReadString(SecImprovement, "ImprovementSoundName",
                                                          options.ImprovementSoundName);
            options.ImprovementAutoSaveMode = ini.ReadBool(
                SecImprovement, "ImprovementAutoSaveMode", options.ImprovementAutoSaveMode);
            options.ImprovementAutoSaveDir = ini.ReadString(
                SecImprovement, "ImprovementAutoSaveDir", options.ImprovementAutoSaveDir);
            std::string separator = FirstCharacter(
                ini.ReadString(SecBlocksDisplay, "NumberSeparator", options.NumberSeparator));
            if (separator == " " || (!separator.empty() && IsUnusableSeparator(separator)))
                separator.clear();
            options.NumberSeparator = separator;
        } catch (const std::exception&) {
            // A damaged file is dropped without a message; the program writes a fresh
            // one at exit.
            std::error_code ec;
            fs::remove(path, ec);
        }
    }
    // These hold after a failed read as well, so that no option points at something
    // that is not there.
    if (options.ImprovementSoundMode && !FileExists(options.ImprovementSoundName))
        options.ImprovementSoundMode = false;
    if (options.ImprovementAutoSaveMode && !DirectoryExists(options.ImprovementAutoSaveDir))
        options.ImprovementAutoSaveMode = false;
    // assign() rather than = " ": GCC 12 warns falsely (-Wrestrict) on the latter here.
    if (options.NumberSeparator.empty()) options.NumberSeparator.assign(1, ' ');
    return options;
}

void WriteOptions(const std::string& programFolder, const TProgramOptions& options) {
    const std::string path = OptionsPath(programFolder);
    TIniFile ini;
    try {
        ini.LoadFromFile(path);
    } catch (const std::exception&) {
        ini.Clear();
    }
    ini.WriteBool(SecOptimization, "SpeedupMode", options.SpeedupMode);
    ini.WriteInteger(SecOptimization, "MaxMotherBlocksFocus", options.MaxMotherBlocksFocus);
    ini.WriteBool(SecImprovement, "ImprovementSoundMode", options.ImprovementSoundMode);
    ini.WriteString(SecImprovement, "ImprovementSoundName", options.ImprovementSoundName);
    ini.WriteBool(SecImprovement, "ImprovementAutoSaveMode", options.ImprovementAutoSaveMode);
    ini.WriteString(SecImprovement, "ImprovementAutoSaveDir", options.ImprovementAutoSaveDir);
    ini.WriteString(SecBlocksDisplay, "NumberSeparator", options.NumberSeparator);
    ini.SaveToFile(path);
}

TOptionsControls OptionsToControls(const TProgramOptions& options) {
    TOptionsControls c;
    c.SpeedupMode = options.SpeedupMode;
    c.MaxMotherBlocksFocus = std::to_string(options.MaxMotherBlocksFocus);
    c.PlaySound = options.ImprovementSoundMode;
    c.SoundFile = options.ImprovementSoundName;
    c.AutoSave = options.ImprovementAutoSaveMode;
    c.AutoSaveFolder = options.ImprovementAutoSaveDir;
    c.NumberSeparator = options.NumberSeparator;
    return c;
}

void ApplyOptionsControls(const TOptionsControls& controls, TProgramOptions& options) {
    options.SpeedupMode = controls.SpeedupMode;
    options.MaxMotherBlocksFocus = StrToInt(controls.MaxMotherBlocksFocus);
    options.ImprovementSoundMode = controls.PlaySound;
    options.ImprovementSoundName = controls.SoundFile;
    options.ImprovementAutoSaveMode = controls.AutoSave;
    options.ImprovementAutoSaveDir = controls.AutoSaveFolder;
    const std::string separator = FirstCharacter(controls.NumberSeparator);
    if (separator.empty() || IsUnusableSeparator(separator))
        throw ECorvinaError(InvalidSeparatorText);
    options.NumberSeparator = separator;
}

} // namespace corvina
