#include "IniFileU.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "FileIOU.h"
#include "core/StringU.h"

namespace corvina {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

bool TryStrToInt(std::string_view text, int32_t& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    int32_t parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value = parsed;
    return true;
}

int32_t StrToInt(std::string_view text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(
            FormatText("'%s' is not a valid integer value", std::string(text).c_str()));
    return value;
}

bool TryStrToFloat(std::string_view text, double& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    double parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

double StrToFloat(std::string_view text) {
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError(
            FormatText("'%s' is not a valid floating point value", std::string(text).c_str()));
    return value;
}

bool TIniFile::LoadFromFile(const std::string& fileName) {
    Sections.clear();
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec)) return false;
    std::ifstream in(fileName, std::ios::binary);
    if (!in.is_open() || std::filesystem::is_directory(fileName, ec))
        throw ECorvinaError(FormatText("Cannot open file \"%s\".", fileName.c_str()));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw ECorvinaError(FormatText("Cannot read file \"%s\".", fileName.c_str()));
    LoadFromText(text);
    return true;
}

void TIniFile::LoadFromText(std::string_view text) {
    Sections.clear();
    // A byte order mark some editors put in front is not part of the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    TSection* current = nullptr;
    for (const std::string& raw : SplitLines(text)) {
        const std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            const std::string_view name = TrimBlanks(line.substr(1, close - 1));
            // A repeated section continues the first one of that name.
            current = FindSection(name);
            if (!current) {
                Sections.push_back(TSection{std::string(name), {}});
                current = &Sections.back();
            }
            continue;
        }
        const size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos) continue;
        const std::string_view key = TrimBlanks(line.substr(0, eq));
        if (key.empty()) continue;
        bool known = false;
        for (const TKey& k : current->Keys)
            if (SameTextAscii(k.Name, key)) known = true; // the first one counts
        if (!known)
            current->Keys.push_back(
                TKey{std::string(key), std::string(TrimBlanks(line.substr(eq + 1)))});
    }
}

std::string TIniFile::ToText() const {
    std::string out;
    for (const TSection& s : Sections) {
        out += "\r\n[";
        out += s.Name;
        out += "]\r\n";
        for (const TKey& k : s.Keys) {
            out += k.Name;
            out += '=';
            out += k.Value;
            out += "\r\n";
        }
    }
    return out;
}

void TIniFile::SaveToFile(const std::string& fileName) const {
    WriteFileAtomically(fileName, ToText());
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view section) const {
    for (const TSection& s : Sections)
        if (SameTextAscii(s.Name, section)) return &s;
    return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(std::string_view section) {
    for (TSection& s : Sections)
        if (SameTextAscii(s.Name, section)) return &s;
    return nullptr;
}

const std::string* TIniFile::FindValue(std::string_view section, std::string_view key) const {
    const TSection* s = FindSection(section);
    if (!s) return nullptr;
    for (const TKey& k : s->Keys)
        if (SameTextAscii(k.Name, key)) return &k.Value;
    return nullptr;
}

bool TIniFile::SectionExists(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindValue(section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSections() const {
    std::vector<std::string> names;
    for (const TSection& s : Sections) names.push_back(s.Name);
    return names;
}

std::vector<std::string> TIniFile::ReadSectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const TSection* s = FindSection(section))
        for (const TKey& k : s->Keys) keys.push_back(k.Name);
    return keys;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& def) const {
    const std::string* value = FindValue(section, key);
    return value ? *value : def;
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    const std::string* value = FindValue(section, key);
    if (!value || value->empty()) return def;
    return StrToInt(*value);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) == 1;
}

double TIniFile::ReadFloat(std::string_view section, std::string_view key, double def) const {
    const std::string* value = FindValue(section, key);
    if (!value || value->empty()) return def;
    return StrToFloat(*value);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view trimmedSection = TrimBlanks(section);
    if (trimmedSection.empty() || trimmedSection.size() != section.size() ||
        HasLineBreak(section) || section.find(']') != std::string_view::npos)
        throw ECorvinaError(
            FormatText("Invalid INI section name \"%s\".", std::string(section).c_str()));
    if (key.empty() || TrimBlanks(key).size() != key.size() || HasLineBreak(key) ||
        key.find('=') != std::string_view::npos || key.front() == ';' || key.front() == '[')
        throw ECorvinaError(FormatText("Invalid INI key \"%s\".", std::string(key).c_str()));
    if (HasLineBreak(value))
        throw ECorvinaError(FormatText("Invalid INI value for key \"%s\": it holds a line break.",
                                       std::string(key).c_str()));
    TSection* s = FindSection(section);
    if (!s) {
        Sections.push_back(TSection{std::string(section), {}});
        s = &Sections.back();
    }
    for (TKey& k : s->Keys)
        if (SameTextAscii(k.Name, key)) {
            k.Value = std::string(value);
            return;
        }
    s->Keys.push_back(TKey{std::string(key), std::string(value)});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    WriteString(section, key, FormatFloatG(value));
}

void TIniFile::EraseSection(std::string_view section) {
    for (auto it = Sections.begin(); it != Sections.end(); ++it)
        if (SameTextAscii(it->Name, section)) {
            Sections.erase(it);
            return;
        }
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    TSection* s = FindSection(section);
    if (!s) return;
    for (auto it = s->Keys.begin(); it != s->Keys.end(); ++it)
        if (SameTextAscii(it->Name, key)) {
            s->Keys.erase(it);
            return;
        }
}

} // namespace corvina
