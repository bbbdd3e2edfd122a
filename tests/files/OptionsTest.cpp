#include <gtest/gtest.h>

#include "files/FileIOU.h"
#include "files/FilesTestUtil.h"
#include "files/IniFileU.h"
#include "files/OptionsU.h"

using namespace corvina;
using namespace corvina::testing;

namespace {

const std::string Bar = "\xE2\x80\x95"; // U+2015, three bytes in UTF-8

void ExpectSame(const TProgramOptions& a, const TProgramOptions& b) {
    EXPECT_EQ(a.SpeedupMode, b.SpeedupMode);
    EXPECT_EQ(a.MaxMotherBlocksFocus, b.MaxMotherBlocksFocus);
    EXPECT_EQ(a.ImprovementSoundMode, b.ImprovementSoundMode);
    EXPECT_EQ(a.ImprovementSoundName, b.ImprovementSoundName);
    EXPECT_EQ(a.ImprovementAutoSaveMode, b.ImprovementAutoSaveMode);
    EXPECT_EQ(a.ImprovementAutoSaveDir, b.ImprovementAutoSaveDir);
    EXPECT_EQ(a.NumberSeparator, b.NumberSeparator);
}

std::string OptionsText(const std::string& optimization, const std::string& improvement,
                        const std::string& display) {
    return "[OPTIMIZATION]\r\n" + optimization + "[IMPROVEMENTACTIONS]\r\n" + improvement +
           "[BLOCKSDISPLAY]\r\n" + display;
}

} // namespace

TEST(Options, MissingFileGivesDefaultsAndWritingCreatesIt) {
    TTempDir dir;
    const TProgramOptions o = ReadOptions(dir.Str());
    EXPECT_FALSE(o.SpeedupMode);
    EXPECT_EQ(o.MaxMotherBlocksFocus, 10000);
    EXPECT_FALSE(o.ImprovementSoundMode);
    EXPECT_EQ(o.ImprovementSoundName, "");
    EXPECT_FALSE(o.ImprovementAutoSaveMode);
    EXPECT_EQ(o.ImprovementAutoSaveDir, "");
    EXPECT_EQ(o.NumberSeparator, " ");
    EXPECT_FALSE(fs::exists(dir.File("options.ini")));

    WriteOptions(dir.Str(), o);
    EXPECT_EQ(ReadAll(dir.File("options.ini")),
              "\r\n[OPTIMIZATION]\r\nSpeedupMode=0\r\nMaxMotherBlocksFocus=10000\r\n"
              "\r\n[IMPROVEMENTACTIONS]\r\nImprovementSoundMode=0\r\nImprovementSoundName=\r\n"
              "ImprovementAutoSaveMode=0\r\nImprovementAutoSaveDir=\r\n"
              "\r\n[BLOCKSDISPLAY]\r\nNumberSeparator= \r\n");
    ExpectSame(ReadOptions(dir.Str()), o);
}

TEST(Options, RoundTripAndMissingSoundFileOrFolder) {
    TTempDir dir;
    const std::string sound = dir.File("ding.wav");
    const std::string saves = dir.File("saves");
    WriteAll(sound, "RIFF");
    fs::create_directory(saves);

    TProgramOptions o;
    o.SpeedupMode = true;
    o.MaxMotherBlocksFocus = 250;
    o.ImprovementSoundMode = true;
    o.ImprovementSoundName = sound;
    o.ImprovementAutoSaveMode = true;
    o.ImprovementAutoSaveDir = saves;
    o.NumberSeparator = Bar;
    WriteOptions(dir.Str(), o);
    ExpectSame(ReadOptions(dir.Str()), o);

    // The names stay; only the flags go off when what they name is gone.
    fs::remove(sound);
    fs::remove(saves);
    TProgramOptions expected = o;
    expected.ImprovementSoundMode = false;
    expected.ImprovementAutoSaveMode = false;
    ExpectSame(ReadOptions(dir.Str()), expected);
}

TEST(Options, SeparatorIsOneCharacter) {
    struct Case {
        std::string line; // the BLOCKSDISPLAY section's content
        std::string separator;
    } cases[] = {
        {"NumberSeparator=;\r\n", ";"},
        {"NumberSeparator=ab\r\n", "a"},
        {"NumberSeparator=\r\n", " "},
        {"", " "}, // key missing
        {"NumberSeparator=" + Bar + "x\r\n", Bar},
        {"NumberSeparator=\xC3\xA9t\xC3\xA9\r\n", "\xC3\xA9"}, // two-byte character
        {"NumberSeparator=\t|\r\n", "|"},                      // blanks around are not read
        {"NumberSeparator=\x01|\r\n", " "},                    // control character dropped
        {"NumberSeparator=\x7F\r\n", " "},
        {"NumberSeparator=\xC2\x85\r\n", " "}, // C1 control character
        {"NumberSeparator=5\r\n", " "},        // a digit would merge the numbers
        {"NumberSeparator=\xE2\x80\r\n", " "}, // cut UTF-8 sequence
        {"NumberSeparator=\xFF-\r\n", " "},
    };
    for (const auto& c : cases) {
        TTempDir dir;
        WriteAll(dir.File("options.ini"), OptionsText("", "", c.line));
        EXPECT_EQ(ReadOptions(dir.Str()).NumberSeparator, c.separator) << c.line;
        EXPECT_TRUE(fs::exists(dir.File("options.ini"))) << c.line;
    }
}

TEST(Options, DamagedFileIsDeletedKeepingWhatWasRead) {
    TTempDir dir;
    const std::string sound = dir.File("ding.wav");
    WriteAll(sound, "RIFF");
    struct Case {
        std::string text;
        TProgramOptions expected;
    };
    TProgramOptions speedOnly;
    speedOnly.SpeedupMode = true;
    TProgramOptions soundRead;
    soundRead.SpeedupMode = true;
    soundRead.MaxMotherBlocksFocus = 500;
    soundRead.ImprovementSoundMode = true;
    soundRead.ImprovementSoundName = sound;
    TProgramOptions soundGone = soundRead;
    soundGone.ImprovementSoundMode = false;
    soundGone.ImprovementSoundName = dir.File("gone.wav");
    const Case cases[] = {
        {OptionsText("SpeedupMode=1\r\nMaxMotherBlocksFocus=lots\r\n", "", "NumberSeparator=;"),
         speedOnly},
        {OptionsText("SpeedupMode=1\r\nMaxMotherBlocksFocus=500\r\n",
                     "ImprovementSoundMode=1\r\nImprovementSoundName=" + sound +
                         "\r\nImprovementAutoSaveMode=yes\r\nImprovementAutoSaveDir=" + dir.Str(),
                     "NumberSeparator=;"),
         soundRead},
        // The sound flag is checked against its file even when the read failed.
        {OptionsText("SpeedupMode=1\r\nMaxMotherBlocksFocus=500\r\n",
                     "ImprovementSoundMode=1\r\nImprovementSoundName=" + dir.File("gone.wav") +
                         "\r\nImprovementAutoSaveMode=99999999999\r\n",
                     ""),
         soundGone},
    };
    for (const auto& c : cases) {
        WriteAll(dir.File("options.ini"), c.text);
        ExpectSame(ReadOptions(dir.Str()), c.expected);
        EXPECT_FALSE(fs::exists(dir.File("options.ini")));
    }
}

TEST(Options, WritingKeepsOtherKeysAndAFailedWriteKeepsTheFile) {
    TTempDir dir;
    const std::string file = dir.File("options.ini");
    WriteAll(file, "[OPTIMIZATION]\r\nSpeedupMode=1\r\nFutureKey=x\r\n[EXTRA]\r\na=b\r\n");
    TProgramOptions o;
    o.NumberSeparator = ";";
    WriteOptions(dir.Str(), o);
    TIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile(file));
    EXPECT_EQ(
        ini.ReadSections(),
        (std::vector<std::string>{"OPTIMIZATION", "EXTRA", "IMPROVEMENTACTIONS", "BLOCKSDISPLAY"}));
    EXPECT_EQ(ini.ReadSectionKeys("OPTIMIZATION"),
              (std::vector<std::string>{"SpeedupMode", "FutureKey", "MaxMotherBlocksFocus"}));
    EXPECT_EQ(ini.ReadString("OPTIMIZATION", "SpeedupMode", ""), "0");
    EXPECT_EQ(ini.ReadString("BLOCKSDISPLAY", "NumberSeparator", ""), ";");

    const std::string before = ReadAll(file);
    fs::create_directory(TAtomicFileWriter::TempName(file));
    o.SpeedupMode = true;
    EXPECT_THROW(WriteOptions(dir.Str(), o), ECorvinaError);
    EXPECT_EQ(ReadAll(file), before);
}

TEST(Options, UpdateAppliesInOrderAndStopsAtTheFirstFailure) {
    TProgramOptions start;
    TOptionsControls c = OptionsToControls(start);
    EXPECT_EQ(c.MaxMotherBlocksFocus, "10000");
    EXPECT_EQ(c.NumberSeparator, " ");

    c.SpeedupMode = true;
    c.MaxMotherBlocksFocus = "2500";
    c.PlaySound = true;
    c.SoundFile = "/x/ding.wav";
    c.AutoSave = true;
    c.AutoSaveFolder = "/x/saves";
    c.NumberSeparator = Bar + ";";
    TProgramOptions o;
    ApplyOptionsControls(c, o);
    EXPECT_TRUE(o.SpeedupMode);
    EXPECT_EQ(o.MaxMotherBlocksFocus, 2500);
    EXPECT_TRUE(o.ImprovementSoundMode);
    EXPECT_EQ(o.ImprovementSoundName, "/x/ding.wav");
    EXPECT_TRUE(o.ImprovementAutoSaveMode);
    EXPECT_EQ(o.ImprovementAutoSaveDir, "/x/saves");
    EXPECT_EQ(o.NumberSeparator, Bar);
    ExpectSame(o, [&] {
        TProgramOptions again;
        ApplyOptionsControls(OptionsToControls(o), again);
        return again;
    }());

    // A text that is not an integer: the speedup flag is already applied, the rest not.
    TProgramOptions p;
    c.MaxMotherBlocksFocus = "12a";
    try {
        ApplyOptionsControls(c, p);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
    }
    EXPECT_TRUE(p.SpeedupMode);
    EXPECT_EQ(p.MaxMotherBlocksFocus, 10000);
    EXPECT_FALSE(p.ImprovementSoundMode);
    EXPECT_EQ(p.ImprovementSoundName, "");

    // A separator that cannot be used: everything before it is applied.
    c.MaxMotherBlocksFocus = "7";
    for (const std::string bad : {"", "\n", "\t", "3"}) {
        TProgramOptions q;
        q.NumberSeparator = "|";
        c.NumberSeparator = bad;
        try {
            ApplyOptionsControls(c, q);
            ADD_FAILURE() << "no error for [" << bad << "]";
        } catch (const ECorvinaError& e) {
            EXPECT_STREQ(e.what(), "Invalid numbers separator entered.");
        }
        EXPECT_EQ(q.MaxMotherBlocksFocus, 7);
        EXPECT_EQ(q.ImprovementAutoSaveDir, "/x/saves");
        EXPECT_EQ(q.NumberSeparator, "|");
    }
    c.NumberSeparator = ";"; // typed, not among the items
    ApplyOptionsControls(c, o);
    EXPECT_EQ(o.NumberSeparator, ";");
    c.NumberSeparator = " ";
    ApplyOptionsControls(c, o);
    EXPECT_EQ(o.NumberSeparator, " ");
}
