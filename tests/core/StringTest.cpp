#include <gtest/gtest.h>

#include <filesystem>

#include "core/ErrorsU.h"
#include "core/StringU.h"

using namespace corvina;
namespace fs = std::filesystem;

TEST(Text, FormatHelpers) {
    EXPECT_EQ(FormatText("%2.2d|%5.5f|%s", 3, 0.5, "x"), "03|0.50000|x");
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {100, "100"}, {99.5, "99.5"}, {0.01, "0.01"},     {12.345678901234, "12.345678901234"},
        {0, "0"},     {-2.5, "-2.5"}, {1e-7, "0.0000001"}};
    for (const auto& c : cases) EXPECT_EQ(FormatFloatG(c.value), c.text);
}

TEST(Text, SanitizeFileName) {
    EXPECT_EQ(SanitizeFileName("a/b:c"), "abc");
    EXPECT_EQ(SanitizeFileName("???"), "Noname");
    EXPECT_EQ(SanitizeFileName("\\/:*?\"<>|"), "Noname");
    EXPECT_EQ(SanitizeFileName("My preset 6"), "My preset 6");
}

TEST(Text, BuildFileName) {
    const fs::path dir = fs::temp_directory_path() / "corvina_bfn";
    fs::create_directories(dir);
    const std::string d = dir.string() + "/";
    struct Case {
        std::string folder, name, ext, expected;
    } cases[] = {
        {"", d + "cover.dat", "txt", d + "cover.txt"},
        {"  " + dir.string() + "  ", "cover", ".cvc", d + "cover.cvc"},
        {"", "cover.dat", "", d + "cover.dat"}, // program folder, own extension
        {d, "a.dat.b.dat", "txt", d + "a.txt"}, // cut at the first occurrence
    };
    for (const auto& c : cases) EXPECT_EQ(BuildFileName(c.folder, c.name, c.ext, d), c.expected);

    auto message = [&](const std::string& folder, const std::string& name, const std::string& ext) {
        try {
            BuildFileName(folder, name, ext, d);
        } catch (const ECorvinaError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("/no/such/dir", "x", "txt"),
              "The provided path '/no/such/dir/' does not exist.");
    EXPECT_EQ(message(d, "  ", "txt"), "The provided filename is empty.");
    EXPECT_EQ(message(d, "cover", ""), "No extension defined for file " + d + "cover");
    fs::remove_all(dir);
}

TEST(Text, NextNumber) {
    std::string text = "12, 7";
    int32_t v = 0;
    ASSERT_TRUE(NextNumber(text, v));
    EXPECT_EQ(v, 12);
    EXPECT_EQ(text, " 7");
    ASSERT_TRUE(NextNumber(text, v));
    EXPECT_EQ(v, 7);
    EXPECT_EQ(text, "");
    text = "no digits";
    EXPECT_FALSE(NextNumber(text, v));
    EXPECT_EQ(text, "no digits");
    text = "99999999999999999999 3"; // too long for 32 bits: saturates
    ASSERT_TRUE(NextNumber(text, v));
    EXPECT_EQ(v, 2147483647);
}

TEST(Text, NumberListsStayInsideTheirBuffers) {
    TShortIntArray counted(4, -1);
    ParseCountedNumbers("5 6 7 8 9 10", counted, 0);
    EXPECT_EQ(counted, (TShortIntArray{3, 5, 6, 7}));

    TShortIntArray plain(2, -1);
    EXPECT_EQ(ParseNumbers("1 2 3", plain, 0), 2);
    EXPECT_EQ(plain, (TShortIntArray{1, 2}));

    TShortIntArray empty;
    ParseCountedNumbers("1 2", empty, 0); // no room for even the count
    EXPECT_TRUE(empty.empty());

    struct Case {
        std::string text;
        int32_t max;
        const char* message;
        TShortIntArray before; // what was stored when the error came
    } errors[] = {
        {"1 2 100", 99, "Found a number (100) bigger than 99.", {2, 1, 2}},
        {"1 200", 0, "Found a number (200) bigger than 127.", {1, 1, 0}},
        {"4 12345678901", 0, "Found a number (2147483647) bigger than 127.", {1, 4, 0}},
    };
    for (const auto& c : errors) {
        TShortIntArray list(4, 0);
        try {
            ParseCountedNumbers(c.text, list, c.max);
            ADD_FAILURE() << c.text;
        } catch (const ECorvinaError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(TShortIntArray(list.begin(), list.begin() + 3), c.before) << c.text;
    }

    TShortIntArray grown{1};
    AppendNumbers("a2b3;127", grown);
    EXPECT_EQ(grown, (TShortIntArray{1, 2, 3, 127}));
    EXPECT_THROW(AppendNumbers("128", grown), ECorvinaError);
    EXPECT_EQ(JoinNumbers({3, 14}, " "), "3 14");
    EXPECT_EQ(JoinNumbers({}, " "), "");
}

TEST(Text, Darken) {
    EXPECT_EQ(Darken(0x00FFFFFFu), 0x007F7F7Fu);
    EXPECT_EQ(Darken(0x12345678u), 0x121A2B3Cu);
}
