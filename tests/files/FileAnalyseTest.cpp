#include <gtest/gtest.h>

#include <random>

#include "core/nCkU.h"
#include "files/FileAnalyseU.h"
#include "files/FileIOU.h"
#include "files/FileLoaderU.h"
#include "files/FilesTestUtil.h"
#include "files/IniFileU.h"

using namespace corvina;
using namespace corvina::testing;

namespace {

std::string Int32LE(int32_t value) {
    std::string out(4, '\0');
    const uint32_t u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return out;
}

std::string CvcBytes(int32_t v, int32_t k, int32_t count, const std::vector<int32_t>& ranks) {
    std::string out("\0CVC", 4);
    out += Int32LE(v) + Int32LE(k) + Int32LE(count);
    for (int32_t r : ranks) out += Int32LE(r);
    return out;
}

std::vector<TShortIntArray> MappedBlocks(const TFileAnalyseClass& a) {
    std::vector<TShortIntArray> blocks;
    for (int i = 1; i <= a.LineCount(); ++i) {
        TShortIntArray points;
        EXPECT_TRUE(a.GetMappedBlock(i, points)) << i;
        blocks.push_back(points);
    }
    return blocks;
}

std::vector<int32_t> MappedRanks(const TFileAnalyseClass& a) {
    std::vector<int32_t> ranks;
    for (const auto& b : MappedBlocks(a)) ranks.push_back(BlockRank(b, a.PointCount));
    return ranks;
}

std::vector<std::string> AllLines(const TFileAnalyseClass& a) {
    std::vector<std::string> lines;
    for (int i = 1; i <= a.LineCount(); ++i) lines.push_back(a.GetLine(i));
    return lines;
}

} // namespace

TEST(CoveringAnalysis, LinesAsRead) {
    const TShortIntArray oneToSix{1, 2, 3, 4, 5, 6};
    struct Case {
        std::string line;
        bool valid;
    } cases[] = {
        {"1 2 3 4 5 6", true},
        {"01,02,03,04,05,06", true},
        {"1-2-3-4-5-6", true},
        {"6 5 4 3 2 1", true},
        {"+1\t-2 .3 x4 #5 (6)", true},
        {"7 7 12 19 25 31", false}, // point 7 twice
        {"0 5 9 12 18 22", false},  // point 0
        {"100 5 9 12 18 22", false},
        {"300 5 9 12 18 22", false},              // not read as the signed byte 44
        {"200 5 9 12 18 22", false},              // nor as -56
        {"99999999999999 5 9 12 18 22", false},   // too long for 32 bits
        {"1 2 3 4 5 6 7 8 9 10 11 12 13", false}, // more than a block can hold
    };
    for (const auto& c : cases) {
        TFileAnalyseClass a;
        EXPECT_EQ(a.Analyse(SourceClipboard, "", false, c.line), c.valid) << c.line;
        EXPECT_TRUE(a.ErrorText.empty()) << c.line; // line failures are silent
        if (c.valid) {
            EXPECT_EQ(AllLines(a), std::vector<std::string>{c.line}); // kept as read
            EXPECT_EQ(MappedBlocks(a), std::vector<TShortIntArray>{oneToSix}) << c.line;
            EXPECT_EQ(a.BlockSize, 6);
            EXPECT_EQ(a.HighestPoint, 6);
        } else {
            EXPECT_EQ(a.LineCount(), 0) << c.line;
            EXPECT_FALSE(a.FailReason.empty()) << c.line;
        }
    }

    // Lines without digits are skipped wherever they stand.
    for (const std::string skipped : {"", "   ", "words only, no digits"}) {
        TFileAnalyseClass a;
        EXPECT_TRUE(a.Analyse(SourceClipboard, "", false, skipped + "\r\n1 2 3\r\n" + skipped));
        EXPECT_EQ(AllLines(a), std::vector<std::string>{"1 2 3"});
    }
    TFileAnalyseClass twelve;
    EXPECT_TRUE(twelve.Analyse(SourceClipboard, "", false, "1 2 3 4 5 6 7 8 9 10 11 12"));
    EXPECT_EQ(twelve.BlockSize, 12);
}

TEST(CoveringAnalysis, HeadingWithNumbersEndsTheReading) {
    TFileAnalyseClass a;
    EXPECT_FALSE(a.Analyse(SourceClipboard, "", false,
                           "Covering of 20 numbers, 6 per line\r\n"
                           "01 02 03 04 05 06\r\n01 02 03 04 05 07\r\n"));
    EXPECT_EQ(a.BlockSize, 2);
    EXPECT_EQ(AllLines(a), std::vector<std::string>{"Covering of 20 numbers, 6 per line"});
    EXPECT_EQ(a.PointCount, 0);
    EXPECT_TRUE(a.ErrorText.empty());
    EXPECT_EQ(a.FailReason, "Line 2 holds 6 numbers, the first block 2.");
}

TEST(CoveringAnalysis, UsedPointsAreRenumbered) {
    TFileAnalyseClass a;
    ASSERT_TRUE(a.Analyse(SourceClipboard, "", false, "3 8 17 40\r\n40 17 8 3"));
    EXPECT_EQ(a.PointCount, 4);
    EXPECT_EQ(a.HighestPoint, 40);
    for (int p = 0; p < 100; ++p) {
        const int expected = p == 3 ? 1 : p == 8 ? 2 : p == 17 ? 3 : p == 40 ? 4 : 0;
        EXPECT_EQ(a.PointMap[p], expected) << p;
        EXPECT_EQ(a.UsedPoints[p], expected != 0) << p;
        if (p >= 1) {
            EXPECT_EQ(a.SelectedFlags[p - 1], expected != 0 ? 1 : 0) << p;
        }
    }
    EXPECT_EQ(a.SelectedFlags[99], 0);

    // The import's example: five points, two blocks.
    ASSERT_TRUE(a.Analyse(SourceClipboard, "", false, "3 8 17 40\n8 17 22 40\n"));
    EXPECT_EQ(a.PointCount, 5);
    EXPECT_EQ(MappedBlocks(a), (std::vector<TShortIntArray>{{1, 2, 3, 5}, {2, 3, 4, 5}}));

    // A later analysis starts clean: a failure leaves no map of the earlier one.
    EXPECT_FALSE(a.Analyse(SourceClipboard, "", false, "1 2\n1 2 3"));
    EXPECT_EQ(AllLines(a), std::vector<std::string>{"1 2"});
    EXPECT_EQ(a.PointMap[40], 0);
    EXPECT_EQ(a.SelectedFlags[39], 0);
    TShortIntArray points;
    EXPECT_FALSE(a.GetMappedBlock(1, points));
    EXPECT_EQ(a.GetLine(0), "");
    EXPECT_EQ(a.GetLine(2), "");
}

TEST(CoveringAnalysis, SourcesAndTheirErrors) {
    TFileAnalyseClass a;
    EXPECT_FALSE(a.Analyse(SourceClipboard, "", false, std::nullopt));
    EXPECT_EQ(a.ErrorText, "No data in clipboard.");
    EXPECT_FALSE(a.Analyse(SourceClipboard, "", false, std::string()));
    EXPECT_EQ(a.ErrorText, "No data in clipboard.");
    EXPECT_FALSE(a.Analyse(SourceClipboard, "", false, "no numbers here\r\n"));
    EXPECT_TRUE(a.ErrorText.empty());

    TTempDir dir;
    const std::string missing = dir.File("missing.txt");
    for (const bool compressed : {false, true}) {
        EXPECT_FALSE(a.Analyse(SourceFile, missing, compressed));
        EXPECT_EQ(a.ErrorText, "File " + missing + " not found.");
    }

    // The fixture mixes separators, line ends, a heading without digits and a last
    // line without an end.
    ASSERT_TRUE(a.Analyse(SourceFile, DataFile("covering_fano_mixed_separators.txt"), false));
    EXPECT_EQ(a.Source, SourceFile);
    EXPECT_EQ(AllLines(a), (std::vector<std::string>{"01 02 03", "1,4,5", "06-07-01", "2\t4\t6",
                                                     "5;7;2", "  03 04 07  ", "3/5/6"}));
    EXPECT_EQ(a.PointCount, 7);
    EXPECT_EQ(MappedRanks(a), (std::vector<int32_t>{0, 9, 14, 20, 23, 27, 28}));

    TFileAnalyseClass c;
    ASSERT_TRUE(c.Analyse(SourceFile, DataFile("covering_fano_v7_k3.cvc"), true));
    EXPECT_TRUE(c.Compressed);
    EXPECT_EQ(MappedRanks(c), MappedRanks(a));
    EXPECT_EQ(c.GetLine(7), "03 05 06");
}

TEST(CompressedCovering, LayoutAndReading) {
    // v = 20, k = 6: rank 0, rank 1 and the last rank C(20, 6) - 1 = 38759.
    const std::string bytes = CompressedCovering(std::vector<int32_t>{0, 1, 38759}, 20, 6);
    EXPECT_EQ(bytes, std::string("\x00"
                                 "CVC\x14\0\0\0\x06\0\0\0\x03\0\0\0"
                                 "\0\0\0\0\x01\0\0\0\x67\x97\0\0",
                                 28));
    TTempDir dir;
    const std::string file = dir.File("c.cvc");
    SaveCompressedCovering(file, std::vector<int32_t>{0, 1}, 20, 6);
    TFileAnalyseClass a;
    ASSERT_TRUE(a.Analyse(SourceFile, file, true));
    EXPECT_EQ(AllLines(a), (std::vector<std::string>{"01 02 03 04 05 06", "01 02 03 04 05 07"}));
    EXPECT_EQ(a.PointCount, 7);
    EXPECT_EQ(a.BlockSize, 6);

    // Only the header: no blocks, no message.
    WriteAll(file, CvcBytes(20, 6, 0, {}));
    EXPECT_FALSE(a.Analyse(SourceFile, file, true));
    EXPECT_EQ(a.LineCount(), 0);
    EXPECT_TRUE(a.ErrorText.empty());
}

TEST(CompressedCovering, DamagedFilesAreRejectedBeforeDecoding) {
    TTempDir dir;
    const std::string file = dir.File("bad.cvc");
    const std::string truncated = "The compressed covering file " + file + " is truncated.";
    const auto params = [&](int v, int k) {
        return "The compressed covering file " + file +
               " has invalid parameters v = " + std::to_string(v) + ", k = " + std::to_string(k) +
               ".";
    };
    const auto counted = [&](int records, int header) {
        return "The compressed covering file " + file + " holds " + std::to_string(records) +
               " blocks, its header gives " + std::to_string(header) + ".";
    };
    const auto badRank = [&](int rank, int block) {
        return "The compressed covering file " + file + " holds the invalid rank " +
               std::to_string(rank) + " in block " + std::to_string(block) + " (v = 20, k = 6).";
    };
    struct Case {
        const char* what;
        std::string bytes;
        std::string error; // empty: rejected without a message
    } cases[] = {
        {"empty file", "", truncated},
        {"three bytes", std::string("\0CV", 3), truncated},
        {"other magic", std::string("\0CVD", 4) + std::string(12, '\0'), ""},
        {"a text file", "01 02 03 04 05 06\r\n", ""},
        {"half a header", CvcBytes(20, 6, 0, {}).substr(0, 10), truncated},
        {"v above 99", CvcBytes(100, 6, 1, {0}), params(100, 6)},
        {"k above 12", CvcBytes(20, 13, 1, {0}), params(20, 13)},
        {"k zero", CvcBytes(20, 0, 1, {0}), params(20, 0)},
        {"k above v", CvcBytes(5, 6, 1, {0}), params(5, 6)},
        {"negative v", CvcBytes(-20, 6, 1, {0}), params(-20, 6)},
        {"C(v,k) beyond 32 bits", CvcBytes(99, 12, 1, {0}), params(99, 12)},
        {"fewer records", CvcBytes(20, 6, 2, {0}), counted(1, 2)},
        {"more records", CvcBytes(20, 6, 1, {0, 1}), counted(2, 1)},
        {"negative count", CvcBytes(20, 6, -1, {}), counted(0, -1)},
        {"cut record", CvcBytes(20, 6, 1, {0}) + "\x01\x02", truncated},
        {"rank C(v,k)", CvcBytes(20, 6, 2, {0, 38760}), badRank(38760, 2)},
        {"negative rank", CvcBytes(20, 6, 1, {-1}), badRank(-1, 1)},
    };
    for (const auto& c : cases) {
        WriteAll(file, c.bytes);
        TFileAnalyseClass a;
        EXPECT_FALSE(a.Analyse(SourceFile, file, true)) << c.what;
        EXPECT_EQ(a.ErrorText, c.error) << c.what;
        EXPECT_FALSE(a.FailReason.empty()) << c.what;
        EXPECT_EQ(a.LineCount(), 0) << c.what; // nothing decoded
    }
}

TEST(CoveringText, LinesWithSeparatorAndMyNumbers) {
    const std::vector<int32_t> ranks{0, 1};
    EXPECT_EQ(CoveringText(ranks, 20, 6, " "), "01 02 03 04 05 06\r\n01 02 03 04 05 07\r\n");
    EXPECT_EQ(CoveringText(ranks, 20, 6, "\xE2\x80\x95"), "01\xE2\x80\x95"
                                                          "02\xE2\x80\x95"
                                                          "03\xE2\x80\x95"
                                                          "04\xE2\x80\x95"
                                                          "05\xE2\x80\x95"
                                                          "06\r\n"
                                                          "01\xE2\x80\x95"
                                                          "02\xE2\x80\x95"
                                                          "03\xE2\x80\x95"
                                                          "04\xE2\x80\x95"
                                                          "05\xE2\x80\x95"
                                                          "07\r\n");
    // Exactly v selected numbers translate the points (given in any order).
    const TShortIntArray seven{49, 3, 12, 7, 22, 30, 41};
    EXPECT_EQ(CoveringText(std::vector<int32_t>{0, 34}, 7, 3, "-", seven),
              "03-07-12\r\n30-41-49\r\n");
    EXPECT_EQ(CoveringText(std::vector<int32_t>{34}, 8, 3, "-", seven), "02-06-08\r\n");
    EXPECT_EQ(CoveringText({}, 7, 3, "-"), "");

    EXPECT_EQ(CoveringLine(TShortIntArray{1, 3}, ",", TShortIntArray{5, 99, 120}), "05,120");
    EXPECT_THROW(CoveringLine(TShortIntArray{1, 4}, ",", TShortIntArray{5, 99, 120}),
                 ECorvinaError);
    EXPECT_THROW(CoveringText(std::vector<int32_t>{35}, 7, 3, " "), ECorvinaError);
    EXPECT_THROW(CoveringText(std::vector<int32_t>{-1}, 7, 3, " "), ECorvinaError);
    EXPECT_THROW(CoveringText(ranks, 100, 6, " "), ECorvinaError);
    EXPECT_THROW(CompressedCovering(std::vector<int32_t>{38760}, 20, 6), ECorvinaError);
    EXPECT_THROW(CompressedCovering(ranks, 20, 13), ECorvinaError);
}

TEST(CoveringFiles, TextAndCompressedRoundTrip) {
    // Every point of 1..12 is used, so the renumbering keeps the points.
    std::vector<int32_t> ranks;
    for (int32_t r = 0; r < Binomial(12, 5); r += 37) ranks.push_back(r);
    ranks.push_back(Binomial(12, 5) - 1);
    TTempDir dir;
    const std::string text = dir.File("c.txt");
    const std::string cvc = dir.File("c.cvc");

    SaveCoveringText(text, ranks, 12, 5, "\xE2\x80\x95");
    TFileAnalyseClass a;
    ASSERT_TRUE(a.Analyse(SourceFile, text, false));
    ASSERT_EQ(a.PointCount, 12);
    EXPECT_EQ(MappedRanks(a), ranks);

    SaveCompressedCovering(cvc, MappedRanks(a), a.PointCount, a.BlockSize);
    TFileAnalyseClass b;
    ASSERT_TRUE(b.Analyse(SourceFile, cvc, true));
    EXPECT_EQ(MappedRanks(b), ranks);
    EXPECT_EQ(ReadAll(cvc), CompressedCovering(ranks, 12, 5));

    // With "My numbers" the text holds the lottery numbers; reading it back finds
    // them as the used points and renumbers them to the same blocks.
    const TShortIntArray myNumbers{2, 5, 11, 17, 23, 29, 31, 37, 41, 43, 47, 49};
    SaveCoveringText(text, ranks, 12, 5, " ", myNumbers);
    ASSERT_TRUE(a.Analyse(SourceFile, text, false));
    EXPECT_EQ(a.HighestPoint, 49);
    EXPECT_EQ(a.PointCount, 12);
    for (int8_t n : myNumbers) EXPECT_EQ(a.SelectedFlags[n - 1], 1);
    EXPECT_EQ(MappedRanks(a), ranks);
}

TEST(CoveringFiles, StreamingWriterAndFailedWrites) {
    const std::vector<int32_t> ranks{3, 1, 4, 1, 5};
    TTempDir dir;
    const std::string text = dir.File("w.txt");
    const std::string cvc = dir.File("w.cvc");
    {
        TCoveringFileWriter w(text, false, 10, 3, 0, "-");
        for (int32_t r : ranks) w.WriteRank(r);
        w.Commit();
    }
    EXPECT_EQ(ReadAll(text), CoveringText(ranks, 10, 3, "-"));
    {
        TCoveringFileWriter w(cvc, true, 10, 3, static_cast<int32_t>(ranks.size()));
        for (int32_t r : ranks) w.WriteRank(r);
        EXPECT_THROW(w.WriteRank(0), ECorvinaError); // beyond the header's count
        w.Commit();
    }
    EXPECT_EQ(ReadAll(cvc), CompressedCovering(ranks, 10, 3));

    // Nothing reaches the target unless the whole covering was written.
    const std::string before = ReadAll(cvc);
    {
        TCoveringFileWriter w(cvc, true, 10, 3, 5);
        w.WriteRank(0);
        EXPECT_THROW(w.Commit(), ECorvinaError);
    }
    {
        TCoveringFileWriter w(cvc, true, 10, 3, 1);
        EXPECT_THROW(w.WriteRank(120), ECorvinaError);
    }
    EXPECT_EQ(ReadAll(cvc), before);
    EXPECT_FALSE(fs::exists(TAtomicFileWriter::TempName(cvc)));

    fs::create_directory(TAtomicFileWriter::TempName(text));
    const std::string oldText = ReadAll(text);
    EXPECT_THROW(SaveCoveringText(text, {}, 10, 3, " "), ECorvinaError);
    EXPECT_THROW(TCoveringFileWriter(text, false, 10, 3, 0), ECorvinaError);
    EXPECT_EQ(ReadAll(text), oldText);
    fs::remove(TAtomicFileWriter::TempName(text));

    fs::create_directory(TAtomicFileWriter::TempName(cvc));
    EXPECT_THROW(SaveCompressedCovering(cvc, ranks, 10, 3), ECorvinaError);
    EXPECT_EQ(ReadAll(cvc), before);
    fs::remove(TAtomicFileWriter::TempName(cvc));

    // The target itself is a folder: the rename fails and the temporary file goes.
    const std::string folder = dir.File("folder.txt");
    fs::create_directory(folder);
    EXPECT_THROW(SaveCoveringText(folder, ranks, 10, 3, " "), ECorvinaError);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists(TAtomicFileWriter::TempName(folder)));
}

TEST(CoveringAnalysis, ArbitraryInputNeverBreaksTheReaders) {
    // Lines of three numbers with random separators, some numbers out of range, some
    // noise bytes; and compressed files with random ranks or random bytes. Whatever is
    // accepted must be a proper covering.
    std::mt19937 random(20240611);
    const std::string separators[] = {" ", ",", "-", "\t", "\xE2\x80\x95", "x", "\xFF"};
    const std::string lineEnds[] = {"\r\n", "\n", "\r"};
    TTempDir dir;
    const std::string file = dir.File("random.cvc");
    int validTexts = 0, validCompressed = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const int lines = static_cast<int>(random() % 6);
        for (int l = 0; l < lines; ++l) {
            const int count = random() % 8 ? 3 : static_cast<int>(random() % 14);
            for (int i = 0; i < count; ++i) {
                if (i) text += separators[random() % std::size(separators)];
                text += std::to_string(random() % 10 ? 1 + random() % 9 : random() % 400);
            }
            if (random() % 10 == 0) text += static_cast<char>(random());
            text += lineEnds[random() % std::size(lineEnds)];
        }
        std::vector<int32_t> ranks(random() % 5);
        for (int32_t& r : ranks)
            r = static_cast<int32_t>(random() % 10 ? random() % 120 : random());
        std::string bytes = CvcBytes(10, 3, static_cast<int32_t>(ranks.size()), ranks);
        if (random() % 4 == 0) bytes.resize(random() % (bytes.size() + 1));
        if (!bytes.empty() && random() % 4 == 0)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        WriteAll(file, bytes);

        TFileAnalyseClass a;
        for (const bool compressed : {false, true}) {
            const bool valid = compressed ? a.Analyse(SourceFile, file, true)
                                          : a.Analyse(SourceClipboard, "", false, text);
            if (!valid) continue;
            ++(compressed ? validCompressed : validTexts);
            ASSERT_GE(a.BlockSize, 1);
            ASSERT_LE(a.BlockSize, 12);
            for (const auto& block : MappedBlocks(a)) {
                ASSERT_EQ(static_cast<int>(block.size()), a.BlockSize);
                for (size_t i = 0; i < block.size(); ++i) {
                    EXPECT_GE(block[i], 1);
                    EXPECT_LE(block[i], a.PointCount);
                    if (i > 0) {
                        EXPECT_LT(block[i - 1], block[i]);
                    }
                }
            }
        }
        try {
            TFileLoader loader(SourceClipboard, "", text);
            for (int i = 1; i <= loader.DrawCount(); ++i)
                for (int8_t n : loader.GetDraw(i)) ASSERT_TRUE(n >= 0 && n <= 99);
        } catch (const ECorvinaError&) {
        }
        TIniFile ini;
        ini.LoadFromText(text + bytes);
        TIniFile again;
        again.LoadFromText(ini.ToText());
        EXPECT_EQ(again.ToText(), ini.ToText());
    }
    // The inputs reach the checks of accepted coverings, not only the rejections.
    EXPECT_GT(validTexts, 20);
    EXPECT_GT(validCompressed, 20);
}
