#include <gtest/gtest.h>

#include <sstream>

#include "files/FileIOU.h"
#include "files/FilesTestUtil.h"
#include "files/IniFileU.h"

using namespace corvina;
using namespace corvina::testing;

TEST(TextLines, EveryLineEndAndALastLineWithoutEnd) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"\r\n\n\r", {"", "", ""}},
        {"a\r\rb", {"a", "", "b"}}, // two lone CRs end two lines
        {"a\n\rb", {"a", "", "b"}}, // LF then CR: two line ends
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
        std::istringstream in(c.text);
        TLineReader reader(in);
        std::vector<std::string> read;
        std::string line;
        while (reader.Next(line)) read.push_back(line);
        EXPECT_EQ(read, c.lines) << c.text;
    }
}

TEST(IniFile, WritesTheLayoutAndReadsItBack) {
    TIniFile ini;
    const std::string longValue(1123, 'T'); // longer than fixed-size line buffers
    ini.WriteString("PROGRAM", "app", "CV");
    ini.WriteString("GROUP#1", "priority", "50");
    ini.WriteString("GROUP#1", "numbers", "1,2,3");
    ini.WriteString("GROUP#1", "values", longValue);
    ini.WriteString("GROUP#2", "from", "0");
    ini.WriteInteger("group#1", "PRIORITY", 70); // replaces in place, keeps the order
    ini.WriteBool("PROGRAM", "enable", true);
    const std::string expected = "\r\n[PROGRAM]\r\napp=CV\r\nenable=1\r\n"
                                 "\r\n[GROUP#1]\r\npriority=70\r\nnumbers=1,2,3\r\nvalues=" +
                                 longValue +
                                 "\r\n"
                                 "\r\n[GROUP#2]\r\nfrom=0\r\n";
    EXPECT_EQ(ini.ToText(), expected);

    TTempDir dir;
    const std::string file = dir.File("preset.ini");
    ini.SaveToFile(file);
    EXPECT_EQ(ReadAll(file), expected);
    EXPECT_FALSE(fs::exists(TAtomicFileWriter::TempName(file)));

    TIniFile back;
    ASSERT_TRUE(back.LoadFromFile(file));
    EXPECT_EQ(back.ToText(), expected);
    EXPECT_EQ(back.ReadSections(), (std::vector<std::string>{"PROGRAM", "GROUP#1", "GROUP#2"}));
    EXPECT_EQ(back.ReadSectionKeys("Group#1"),
              (std::vector<std::string>{"priority", "numbers", "values"}));
    EXPECT_EQ(back.ReadString("group#1", "VALUES", ""), longValue);

    back.DeleteKey("GROUP#1", "numbers");
    back.EraseSection("program");
    EXPECT_EQ(back.ToText(), "\r\n[GROUP#1]\r\npriority=70\r\nvalues=" + longValue +
                                 "\r\n\r\n[GROUP#2]\r\nfrom=0\r\n");
}

TEST(IniFile, ReadsHandWrittenText) {
    TIniFile ini;
    ini.LoadFromText("\xEF\xBB\xBF"
                     "orphan=1\n"
                     "; comment\r\n"
                     "[ Covering ]\r"
                     "  v = 20 \r\n"
                     "k=6\n"
                     "no equals sign\n"
                     "=nameless\n"
                     "[broken\n"
                     "t=3\n"
                     "[OTHER]\n"
                     "x=a=b\n"
                     "[covering]\n" // continues the first COVERING section
                     "v=99\n"
                     "m=4");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Covering", "OTHER"}));
    EXPECT_EQ(ini.ReadSectionKeys("COVERING"), (std::vector<std::string>{"v", "k", "t", "m"}));
    EXPECT_EQ(ini.ReadInteger("COVERING", "V", 0), 20); // the first one counts
    EXPECT_EQ(ini.ReadInteger("covering", "m", 0), 4);
    EXPECT_EQ(ini.ReadString("other", "X", ""), "a=b");
    EXPECT_FALSE(ini.ValueExists("COVERING", "orphan"));
    EXPECT_TRUE(ini.SectionExists("other"));
    EXPECT_FALSE(ini.SectionExists("broken"));
    EXPECT_EQ(ini.ReadString("NONE", "x", "dflt"), "dflt");
}

TEST(IniFile, ConvertsValuesStrictly) {
    TIniFile ini;
    ini.LoadFromText("[S]\na=12\nb= -7 \nc=+3\nd=\ne=abc\nf=2147483648\ng=1.5\n"
                     "h=1\ni=0\nj=2\nk=0.5\nl=1e-3\nm=nan\n");
    struct IntCase {
        const char* key;
        int32_t expected; // ignored when it raises
        bool raises;
    } ints[] = {{"a", 12, false},  {"b", -7, false},
                {"c", 3, false},   {"d", 42, false}, // empty: the default
                {"zz", 42, false}, {"e", 0, true},
                {"f", 0, true},    {"g", 0, true}};
    for (const auto& c : ints) {
        if (c.raises)
            EXPECT_THROW(ini.ReadInteger("S", c.key, 42), EConvertError) << c.key;
        else
            EXPECT_EQ(ini.ReadInteger("S", c.key, 42), c.expected) << c.key;
    }
    try {
        ini.ReadInteger("S", "e", 0);
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    EXPECT_TRUE(ini.ReadBool("S", "h", false));
    EXPECT_FALSE(ini.ReadBool("S", "i", true));
    EXPECT_FALSE(ini.ReadBool("S", "j", true)); // on only when 1
    EXPECT_TRUE(ini.ReadBool("S", "missing", true));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "k", 0), 0.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "l", 0), 0.001);
    EXPECT_THROW(ini.ReadFloat("S", "m", 0), EConvertError);
    EXPECT_THROW(ini.ReadFloat("S", "e", 0), EConvertError);

    TIniFile w;
    w.WriteFloat("S", "rate", 99.5);
    EXPECT_EQ(w.ReadString("S", "rate", ""), "99.5");
}

TEST(IniFile, RefusesNamesAndValuesTheTextCannotHold) {
    TIniFile ini;
    ini.WriteString("S", "k", "v");
    const std::string before = ini.ToText();
    const std::pair<std::string, std::string> badNames[] = {
        {"", "k"},    {"A]B", "k"}, {"A\nB", "k"}, {" S", "k"}, {"S", ""},
        {"S", "a=b"}, {"S", " k"},  {"S", ";k"},   {"S", "[k"}, {"S", "k\r"}};
    for (const auto& [section, key] : badNames)
        EXPECT_THROW(ini.WriteString(section, key, "x"), ECorvinaError) << section << "/" << key;
    EXPECT_THROW(ini.WriteString("S", "k", "line\r\nbreak"), ECorvinaError);
    EXPECT_EQ(ini.ToText(), before);
}

TEST(IniFile, FailedSaveKeepsThePreviousFile) {
    TTempDir dir;
    const std::string file = dir.File("options.ini");
    WriteAll(file, "[OLD]\r\nkey=1\r\n");
    TIniFile ini;
    ini.WriteString("NEW", "key", "2");

    fs::create_directory(TAtomicFileWriter::TempName(file)); // the temporary name is taken
    EXPECT_THROW(ini.SaveToFile(file), ECorvinaError);
    EXPECT_EQ(ReadAll(file), "[OLD]\r\nkey=1\r\n");

    EXPECT_THROW(ini.SaveToFile(dir.File("missing/options.ini")), ECorvinaError);
    EXPECT_FALSE(fs::exists(dir.File("missing")));

    fs::remove(TAtomicFileWriter::TempName(file));
    ini.SaveToFile(file);
    EXPECT_EQ(ReadAll(file), "\r\n[NEW]\r\nkey=2\r\n");
}

TEST(IniFile, LoadsMissingAndUnreadableFiles) {
    TTempDir dir;
    TIniFile ini;
    ini.WriteString("S", "k", "v");
    EXPECT_FALSE(ini.LoadFromFile(dir.File("none.ini")));
    EXPECT_TRUE(ini.ReadSections().empty());
    EXPECT_THROW(ini.LoadFromFile(dir.Str()), ECorvinaError); // a folder is not a file
}
