#include <gtest/gtest.h>

#include "files/FileLoaderU.h"
#include "files/FilesTestUtil.h"

using namespace corvina;
using namespace corvina::testing;

namespace {

std::string LoadError(uint8_t source, const std::string& fileName,
                      const std::optional<std::string>& clipboard) {
    try {
        TFileLoader loader(source, fileName, clipboard);
    } catch (const ECorvinaError& e) {
        return e.what();
    }
    return "no error";
}

std::vector<std::string> Texts(const TFileLoader& l) {
    std::vector<std::string> texts;
    for (int i = 1; i <= l.DrawCount(); ++i) {
        std::string t;
        EXPECT_TRUE(l.DrawTexts.GetString(i, t));
        texts.push_back(t);
    }
    return texts;
}

} // namespace

TEST(DrawHistory, ReadsDrawsInLineOrder) {
    TFileLoader file(SourceFile, DataFile("history_6of49.txt"));
    ASSERT_EQ(file.DrawCount(), 3);
    EXPECT_EQ(file.GetDraw(1), (TShortIntArray{3, 17, 22, 35, 41, 48}));
    EXPECT_EQ(file.GetDraw(2), (TShortIntArray{49, 1, 7, 13, 20, 26})); // order kept
    EXPECT_EQ(file.GetDraw(3), (TShortIntArray{0, 5, 9, 12, 18, 22}));  // 0 is not above 99
    EXPECT_EQ(Texts(file),
              (std::vector<std::string>{"3 17 22 35 41 48", "49 1 7 13 20 26", "0 5 9 12 18 22"}));
    EXPECT_TRUE(file.GetDraw(0).empty());
    EXPECT_TRUE(file.GetDraw(4).empty());

    TFileLoader clip(SourceClipboard, "", std::string("03-17-22\r\r\n99,98"));
    EXPECT_EQ(Texts(clip), (std::vector<std::string>{"3 17 22", "99 98"}));

    // A line longer than the buffer keeps its first 99 numbers.
    std::string longLine;
    for (int i = 0; i < 150; ++i) longLine += std::to_string(i % 50) + " ";
    TFileLoader many(SourceClipboard, "", longLine);
    ASSERT_EQ(many.DrawCount(), 1);
    EXPECT_EQ(many.GetDraw(1).size(), 99u);
    EXPECT_EQ(many.GetDraw(1)[98], 48);
}

TEST(DrawHistory, Failures) {
    TTempDir dir;
    const std::string missing = dir.File("draws.txt");
    EXPECT_EQ(LoadError(SourceFile, missing, std::nullopt),
              "Unable to locate file " + missing + ".");
    EXPECT_EQ(LoadError(SourceClipboard, "", std::nullopt), "No valid data found in clipboard.");
    EXPECT_EQ(LoadError(SourceClipboard, "", std::string()), "No valid data found in clipboard.");
    struct Case {
        std::string text, error;
    } cases[] = {
        {"1 2 3\r\n4 100 6", "Found a number (100) bigger than 99."},
        {"1 300 3", "Found a number (300) bigger than 99."}, // not wrapped to 44
        {"1 99999999999", "Found a number (2147483647) bigger than 99."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadError(SourceClipboard, "", c.text), c.error);
        WriteAll(missing, c.text);
        EXPECT_EQ(LoadError(SourceFile, missing, std::nullopt), c.error);
    }
}
