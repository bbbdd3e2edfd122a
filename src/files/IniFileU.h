#pragma once
// INI files by section and key, kept in memory. Sections and keys are compared
// without regard to ASCII case and stay in the order they were read or written;
// section names may hold '#'; lines may be of any length. The text form puts an
// empty line before every section (so it begins with one) and ends lines with CR LF.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ErrorsU.h"

namespace corvina {

// A text that should be a number and is not.
class EConvertError : public ECorvinaError {
  public:
    using ECorvinaError::ECorvinaError;
};

// Decimal integer with an optional sign, surrounding blanks allowed, within 32 bits.
bool TryStrToInt(std::string_view text, int32_t& value);
// Raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);
// Decimal number with '.' as the decimal point (an exponent is allowed).
bool TryStrToFloat(std::string_view text, double& value);
// Raises EConvertError "'%s' is not a valid floating point value".
double StrToFloat(std::string_view text);

class TIniFile {
  public:
    // Replaces the content with the file's. A missing file leaves the content empty
    // and returns false; a file that exists but cannot be read raises ECorvinaError.
    bool LoadFromFile(const std::string& fileName);
    void LoadFromText(std::string_view text);
    std::string ToText() const;
    // Writes the text form through a temporary file in the same folder, so a failed
    // write leaves the previous file as it was. Raises ECorvinaError on failure.
    void SaveToFile(const std::string& fileName) const;
    void Clear() { Sections.clear(); }

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSectionKeys(std::string_view section) const;

    // Missing key: the default. The value is read without its surrounding blanks.
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& def) const;
    // Missing key or empty value: the default; any other text that is not an integer
    // raises EConvertError.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    // A flag is on only when its value is the integer 1.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    double ReadFloat(std::string_view section, std::string_view key, double def) const;

    // Adds the section and the key at the end when they are new, else replaces the
    // value in place. Names that the text form could not hold (empty, with a line
    // break, a section name with ']', a key with '=' or blanks at its ends or starting
    // with ';' or '[') and values with a line break raise ECorvinaError.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void WriteFloat(std::string_view section, std::string_view key, double value);

    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);

  private:
    struct TKey {
        std::string Name;
        std::string Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TKey> Keys;
    };
    const TSection* FindSection(std::string_view section) const;
    TSection* FindSection(std::string_view section);
    const std::string* FindValue(std::string_view section, std::string_view key) const;

    std::vector<TSection> Sections;
};

} // namespace corvina
