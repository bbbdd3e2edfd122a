// End-to-end tests of corvina-cli: the program runs as a child process, and every
// covering it saves is verified here by brute force, without libcorvina's coverage
// code, so a fault in the engines cannot hide itself.
#ifdef CORVINA_CLI_PATH

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "TempDirU.h"

#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// ---- Files and folders ----

using corvina::testutil::ReadAll;
using corvina::testutil::TTempDir;
using corvina::testutil::WriteAll;

std::vector<std::string> FolderContent(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

fs::path DataFile(const std::string& name) {
    return fs::path(CORVINA_TEST_DATA) / "cli" / name;
}

// ---- Running the program ----

struct TRun {
    bool Exited = false; // false: ended by a signal
    int Status = -1;
    int Signal = 0;
    std::string Out, Err;
};

std::ostream& operator<<(std::ostream& os, const TRun& r) {
    return os << (r.Exited ? "exit " + std::to_string(r.Status)
                           : "signal " + std::to_string(r.Signal))
              << "\nstderr: " << r.Err;
}

// Starts corvina-cli in `cwd` with stdout and stderr going to the named files.
pid_t Spawn(const std::vector<std::string>& args, const fs::path& cwd, const fs::path& outFile,
            const fs::path& errFile) {
    std::vector<std::string> all = {CORVINA_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string cwdText = cwd.string(), outText = outFile.string(),
                      errText = errFile.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec. Ctrl-C must reach the
        // program even when the test runner blocks or ignores it.
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGINT, SIG_DFL);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outText.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errText.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || ::chdir(cwdText.c_str()) != 0) ::_exit(127);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// With `hangGuard`, a child still running after that many seconds is killed and
// reported as ended by SIGKILL: a program that ignores Ctrl-C fails instead of hanging.
TRun Wait(pid_t pid, const fs::path& outFile, const fs::path& errFile, int hangGuard = 0) {
    TRun r;
    int status = 0;
    pid_t done = 0;
    if (hangGuard > 0) {
        for (int i = 0; i < hangGuard * 100; ++i) {
            done = ::waitpid(pid, &status, WNOHANG);
            if (done != 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (done == 0) ::kill(pid, SIGKILL);
    }
    if (done != pid) {
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    r.Exited = WIFEXITED(status);
    r.Status = r.Exited ? WEXITSTATUS(status) : -1;
    r.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    r.Out = ReadAll(outFile);
    r.Err = ReadAll(errFile);
    return r;
}

// Runs the program to its end. Its output files live in `io`, apart from `cwd`, so a
// test can check that `cwd` receives nothing.
TRun RunCli(const std::vector<std::string>& args, const fs::path& cwd, const fs::path& io) {
    const fs::path out = io / "stdout.txt", err = io / "stderr.txt";
    const pid_t pid = Spawn(args, cwd, out, err);
    if (pid < 0) throw std::runtime_error("fork failed");
    return Wait(pid, out, err);
}

// ---- An independent covering model ----

int64_t Choose(int n, int r) {
    if (r < 0 || n < r) return 0;
    int64_t c = 1;
    for (int i = 1; i <= r; ++i) c = c * (n - r + i) / i;
    return c;
}

// Lexicographic rank among the k-subsets of 1..v.
int64_t Rank(const std::vector<int>& block, int v) {
    const int k = static_cast<int>(block.size());
    int64_t rank = 0;
    int prev = 0;
    for (int i = 0; i < k; ++i) {
        for (int x = prev + 1; x < block[i]; ++x) rank += Choose(v - x, k - 1 - i);
        prev = block[i];
    }
    return rank;
}

std::vector<int> Unrank(int64_t rank, int v, int k) {
    std::vector<int> block;
    int x = 1;
    for (int i = 0; i < k; ++i) {
        for (;; ++x) {
            const int64_t below = Choose(v - x, k - 1 - i);
            if (rank < below) break;
            rank -= below;
        }
        block.push_back(x++);
    }
    return block;
}

struct TCovering {
    int V = 0; // from the .cvc header; for text the highest number used
    int K = 0;
    std::vector<std::vector<int>> Blocks;
};

// One block per line; a number is a run of digits, anything else separates; lines
// without digits are skipped.
TCovering ParseText(const std::string& text) {
    TCovering c;
    size_t pos = 0;
    int lineNumber = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        std::vector<int> block;
        for (size_t i = 0; i < line.size();) {
            if (line[i] < '0' || line[i] > '9') {
                ++i;
                continue;
            }
            int64_t n = 0;
            for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
                n = std::min<int64_t>(n * 10 + (line[i] - '0'), 1000);
            block.push_back(static_cast<int>(n));
        }
        if (block.empty()) continue;
        std::sort(block.begin(), block.end());
        if (c.K == 0) c.K = static_cast<int>(block.size());
        if (static_cast<int>(block.size()) != c.K)
            throw std::runtime_error("line " + std::to_string(lineNumber) + " has " +
                                     std::to_string(block.size()) + " numbers");
        c.V = std::max(c.V, block.back());
        c.Blocks.push_back(block);
    }
    return c;
}

std::string Int32LE(int64_t value) {
    const uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(value));
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return out;
}

int32_t ReadInt32LE(const std::string& bytes, size_t at) {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return static_cast<int32_t>(u);
}

std::string CvcBytes(int64_t v, int64_t k, int64_t count, const std::vector<int64_t>& ranks) {
    std::string out("\0CVC", 4);
    out += Int32LE(v) + Int32LE(k) + Int32LE(count);
    for (int64_t r : ranks) out += Int32LE(r);
    return out;
}

// 0x00 'C' 'V' 'C', then v, k, the block count and one rank per block, each a
// little-endian 32-bit integer.
TCovering DecodeCvc(const std::string& bytes) {
    if (bytes.size() < 16 || bytes.compare(0, 4, std::string("\0CVC", 4)) != 0)
        throw std::runtime_error("not a .cvc file");
    TCovering c;
    c.V = ReadInt32LE(bytes, 4);
    c.K = ReadInt32LE(bytes, 8);
    const int32_t count = ReadInt32LE(bytes, 12);
    if (c.V < 1 || c.V > 99 || c.K < 1 || c.K > 12 || c.K > c.V)
        throw std::runtime_error("bad header v or k");
    if (count < 0 || bytes.size() != 16 + 4 * static_cast<size_t>(count))
        throw std::runtime_error("length does not match the block count");
    for (int32_t i = 0; i < count; ++i) {
        const int32_t rank = ReadInt32LE(bytes, 16 + 4 * static_cast<size_t>(i));
        if (rank < 0 || rank >= Choose(c.V, c.K)) throw std::runtime_error("rank out of range");
        c.Blocks.push_back(Unrank(rank, c.V, c.K));
    }
    return c;
}

TCovering ReadCovering(const fs::path& file) {
    const std::string bytes = ReadAll(file);
    return file.extension() == ".cvc" ? DecodeCvc(bytes) : ParseText(bytes);
}

// The blocks as point masks (bit p - 1 for point p); empty when some block is not a
// k-subset of 1..v.
std::vector<uint64_t> BlockMasks(const TCovering& c, int v) {
    std::vector<uint64_t> masks;
    for (const auto& block : c.Blocks) {
        uint64_t mask = 0;
        for (int p : block) {
            if (p < 1 || p > v || (mask & (uint64_t{1} << (p - 1)))) return {};
            mask |= uint64_t{1} << (p - 1);
        }
        if (static_cast<int>(block.size()) != c.K) return {};
        masks.push_back(mask);
    }
    return masks;
}

// The m-subsets of 1..v (v below 64) that meet fewer than L blocks in at least t
// points; -1 when the blocks are not valid k-subsets of 1..v.
int64_t Uncovered(const TCovering& c, int v, int t, int m, int L) {
    const std::vector<uint64_t> masks = BlockMasks(c, v);
    if (masks.size() != c.Blocks.size() || masks.empty()) return -1;
    int64_t uncovered = 0;
    const uint64_t limit = uint64_t{1} << v;
    // Every m-bit mask below 2^v, in increasing order (Gosper).
    for (uint64_t s = (uint64_t{1} << m) - 1; s < limit;) {
        int hits = 0;
        for (uint64_t b : masks)
            if (std::popcount(s & b) >= t && ++hits >= L) break;
        if (hits < L) ++uncovered;
        const uint64_t low = s & (~s + 1), ripple = s + low;
        s = (((ripple ^ s) >> 2) / low) | ripple;
    }
    return uncovered;
}

struct TDesign {
    int v, k, t, m, L, b;
};

// b blocks of k points in 1..v, of which at most maxUncovered m-subsets fall short.
void ExpectCovering(const TCovering& c, const TDesign& d, const std::string& where,
                    int64_t maxUncovered = 0) {
    SCOPED_TRACE(where);
    EXPECT_EQ(c.K, d.k);
    EXPECT_EQ(static_cast<int>(c.Blocks.size()), d.b);
    EXPECT_LE(c.V, d.v);
    const int64_t uncovered = Uncovered(c, d.v, d.t, d.m, d.L);
    EXPECT_GE(uncovered, 0) << "a block is not a " << d.k << "-subset of 1.." << d.v;
    EXPECT_LE(uncovered, maxUncovered);
}

std::vector<std::vector<int>> Sorted(std::vector<std::vector<int>> blocks) {
    std::sort(blocks.begin(), blocks.end());
    return blocks;
}

std::vector<std::string> Split(const std::string& words) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < words.size()) {
        const size_t end = std::min(words.find(' ', pos), words.size());
        if (end > pos) out.push_back(words.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

std::vector<std::string> Args(const std::string& words, const std::vector<std::string>& more = {}) {
    std::vector<std::string> out = Split(words);
    out.insert(out.end(), more.begin(), more.end());
    return out;
}

const std::vector<std::vector<int>> Fano = {{1, 2, 3}, {1, 4, 5}, {1, 6, 7}, {2, 4, 6},
                                            {2, 5, 7}, {3, 4, 7}, {3, 5, 6}};

} // namespace

// The checker must be able to fail, and its ranking must agree with the file layout.
TEST(CliChecker, JudgesKnownCoveringsAndRanks) {
    TCovering fano{7, 3, Fano};
    EXPECT_EQ(Uncovered(fano, 7, 2, 2, 1), 0);
    EXPECT_EQ(Uncovered(fano, 7, 2, 2, 2), 21); // every pair lies in exactly one line
    TCovering six = fano;
    six.Blocks.pop_back();
    EXPECT_EQ(Uncovered(six, 7, 2, 2, 1), 3); // the three pairs of the missing line
    EXPECT_EQ(Uncovered(fano, 7, 3, 3, 1), 35 - 7);
    six.Blocks.push_back({1, 2, 8});
    EXPECT_EQ(Uncovered(six, 7, 2, 2, 1), -1);

    EXPECT_EQ(Unrank(0, 10, 5), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Unrank(1, 10, 5), (std::vector<int>{1, 2, 3, 4, 6}));
    EXPECT_EQ(Unrank(251, 10, 5), (std::vector<int>{6, 7, 8, 9, 10}));
    EXPECT_EQ(Unrank(13983815, 49, 6), (std::vector<int>{44, 45, 46, 47, 48, 49}));
    for (int64_t r = 0; r < Choose(12, 4); ++r) ASSERT_EQ(Rank(Unrank(r, 12, 4), 12), r);
    EXPECT_EQ(ParseText("01 02 03\r\n\r\nwords\r\n4,5;6\r\n").Blocks,
              (std::vector<std::vector<int>>{{1, 2, 3}, {4, 5, 6}}));
}

// Complete coverings in every output form: a text file, a .cvc by its name, and a
// folder, where the file gets its proposed name.
TEST(CliOptimize, FindsCompleteCoveringsInEveryOutputForm) {
    struct TCase {
        TDesign Design;
        std::string Out;      // relative to the output folder; empty: the folder itself
        std::string Extra;    // further flags
        std::string Expected; // the file that must appear
        int64_t MaxUncovered = 0;
    } cases[] = {
        {{10, 5, 4, 4, 1, 53}, "c10.txt", "", "c10.txt"},
        {{14, 5, 3, 4, 1, 22}, "c14.cvc", "", "c14.cvc"},
        {{10, 5, 4, 4, 1, 53}, "", "", "V05100404-53.txt"},
        {{14, 5, 3, 4, 1, 22}, "", "--format cvc", "V05140304-22.cvc"},
        // Half of the 210 4-subsets; 24 blocks can cover at most 120.
        {{10, 5, 4, 4, 1, 24}, "half.txt", "--lrate 50", "half.txt", 105},
        {{9, 4, 3, 3, 2, 50}, "twice.txt", "--lbase 2", "twice.txt"},
    };
    for (const auto& c : cases) {
        const TDesign& d = c.Design;
        SCOPED_TRACE("c(" + std::to_string(d.v) + "," + std::to_string(d.k) + "," +
                     std::to_string(d.t) + "," + std::to_string(d.m) +
                     ") b=" + std::to_string(d.b) + " out=" + c.Expected);
        TTempDir dir;
        const fs::path out = dir.Sub("out");
        const fs::path target = c.Out.empty() ? out : out / c.Out;
        const TRun r = RunCli(
            Args("optimize --v " + std::to_string(d.v) + " --k " + std::to_string(d.k) + " --t " +
                     std::to_string(d.t) + " --m " + std::to_string(d.m) + " --b " +
                     std::to_string(d.b) + " --seed 4711 --expand -999 --time 60 " + c.Extra,
                 {"--out", target.string()}),
            dir.Path, dir.Sub("io"));
        ASSERT_TRUE(r.Exited && r.Status == 0) << r;
        EXPECT_TRUE(r.Out.empty());
        ASSERT_EQ(FolderContent(out), std::vector<std::string>{c.Expected});
        const TCovering got = ReadCovering(out / c.Expected);
        ExpectCovering(got, d, c.Expected, c.MaxUncovered);
        if (c.Expected.ends_with(".cvc")) {
            EXPECT_EQ(got.V, d.v);
        }
    }
}

// A run that ends by meeting the requirement depends on the seed alone: a second run,
// and runs with other speedup settings (which change only the speed), give the same
// file byte for byte.
TEST(CliOptimize, SameSeedGivesByteIdenticalFiles) {
    for (const std::string design :
         {"--v 10 --k 5 --t 4 --m 4 --b 53 --out a.txt",
          "--v 14 --k 5 --t 3 --m 4 --b 22 --out a.cvc",
          // Stops while the coverage is still rising fast past the L rate.
          "--v 20 --k 6 --t 4 --m 5 --b 60 --lrate 60 --out a.txt"}) {
        TTempDir dir;
        const std::string name = design.substr(design.size() - 5);
        std::string first;
        int run = 0;
        for (const std::string speedup :
             {"", "", "--memory 0", "--no-special-speedup", "--build-speedup"}) {
            SCOPED_TRACE(design + " " + speedup);
            const fs::path folder = dir.Sub("run" + std::to_string(++run));
            const TRun r = RunCli(Args("optimize --seed 90210 --expand -999 --time 60 --quiet " +
                                       design + " " + speedup),
                                  folder, dir.Sub("io"));
            ASSERT_TRUE(r.Exited && r.Status == 0) << r;
            const std::string bytes = ReadAll(folder / name);
            ASSERT_FALSE(bytes.empty());
            if (first.empty())
                first = bytes;
            else
                EXPECT_TRUE(bytes == first) << "the file differs from the first run's";
        }
    }
}

// --descend saves each complete covering and tries one block fewer; the folder keeps
// only the smallest one found.
TEST(CliOptimize, DescendKeepsTheSmallestCompleteCovering) {
    TTempDir dir;
    const fs::path out = dir.Sub("out");
    const TRun r = RunCli(Args("optimize --v 10 --k 5 --t 4 --m 4 --b 60 --seed 4711 --expand -999 "
                               "--descend --time 3 --quiet",
                               {"--out", out.string()}),
                          dir.Path, dir.Sub("io"));
    ASSERT_TRUE(r.Exited && r.Status == 0) << r;
    const std::vector<std::string> files = FolderContent(out);
    ASSERT_EQ(files.size(), 1u);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(files[0], match, std::regex(R"(V05100404-(\d+)\.txt)")))
        << files[0];
    const int b = std::stoi(match[1].str());
    EXPECT_LE(b, 60);
    ExpectCovering(ReadCovering(out / files[0]), {10, 5, 4, 4, 1, b}, files[0]);
}

TEST(CliOptimize, WithoutOutTheCoveringGoesToStandardOutput) {
    TTempDir dir;
    const fs::path cwd = dir.Sub("cwd");
    const TRun r = RunCli(Args("optimize --v 10 --k 5 --t 4 --m 4 --b 53 --seed 4711 --expand -999 "
                               "--time 60 --quiet"),
                          cwd, dir.Sub("io"));
    ASSERT_TRUE(r.Exited && r.Status == 0) << r;
    ExpectCovering(ParseText(r.Out), {10, 5, 4, 4, 1, 53}, "stdout");
    EXPECT_TRUE(FolderContent(cwd).empty());
}

// A run continues from the blocks of a saved covering and keeps their count; a covering
// that is already complete comes back unchanged.
TEST(CliOptimize, StartsFromSavedCovering) {
    TTempDir dir;
    const fs::path in = dir.Sub("in");

    // The first 53 blocks in rank order all hold 1 and 2: far from complete, every
    // point used. Written as the numbers 11..20, which the run takes as points 1..10
    // and writes back as 11..20.
    std::string partialText;
    for (int64_t r = 0; r < 53; ++r) {
        const auto block = Unrank(r, 10, 5);
        for (size_t i = 0; i < block.size(); ++i)
            partialText += (i ? "," : "") + std::to_string(block[i] + 10);
        partialText += "\n";
    }
    WriteAll(in / "partial.txt", partialText);
    std::vector<int64_t> ranks;
    for (int64_t i = 0; i < 22; ++i) ranks.push_back(i * 91);
    WriteAll(in / "partial.cvc", CvcBytes(14, 5, 22, ranks));
    ASSERT_EQ(DecodeCvc(ReadAll(in / "partial.cvc")).Blocks.back(), Unrank(21 * 91, 14, 5));
    std::vector<int64_t> fanoRanks;
    for (const auto& b : Fano) fanoRanks.push_back(Rank(b, 7));
    WriteAll(in / "fano.cvc", CvcBytes(7, 3, 7, fanoRanks));

    struct TCase {
        std::string Start, Out;
        TDesign Design;
        bool Unchanged;
        int Offset = 0; // the text's numbers are the points plus this
    } cases[] = {
        {(in / "partial.txt").string(), "p10.txt", {10, 5, 4, 4, 1, 53}, false, 10},
        {(in / "partial.cvc").string(), "p14.cvc", {14, 5, 3, 4, 1, 22}, false},
        {DataFile("fano_7_3_2_2.txt").string(), "fano.txt", {7, 3, 2, 2, 1, 7}, true},
        {(in / "fano.cvc").string(), "fano.cvc", {7, 3, 2, 2, 1, 7}, true},
    };
    const auto shiftBack = [](TCovering c, int offset) {
        for (auto& block : c.Blocks)
            for (int& p : block) p -= offset;
        c.V -= offset;
        return c;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Start);
        const TCovering start = shiftBack(ReadCovering(c.Start), c.Offset);
        ASSERT_EQ(static_cast<int>(start.Blocks.size()), c.Design.b);
        const int64_t missing = Uncovered(start, c.Design.v, c.Design.t, c.Design.m, 1);
        ASSERT_EQ(missing == 0, c.Unchanged);
        const fs::path out = dir.Sub("out") / c.Out;
        const TRun r =
            RunCli(Args("optimize --seed 4711 --expand -999 --time 60 --quiet --t " +
                            std::to_string(c.Design.t) + " --m " + std::to_string(c.Design.m),
                        {"--start", c.Start, "--out", out.string()}),
                   dir.Path, dir.Sub("io"));
        ASSERT_TRUE(r.Exited && r.Status == 0) << r;
        const TCovering got = shiftBack(ReadCovering(out), c.Offset);
        ExpectCovering(got, c.Design, c.Out);
        if (c.Unchanged) {
            EXPECT_EQ(Sorted(got.Blocks), Sorted(start.Blocks));
        }
    }
}

TEST(CliInfo, PrintsSummaryOrRefusesInvalidParameters) {
    TTempDir dir;
    TRun r = RunCli(Args("info --v 49 --k 6 --t 3 --m 6"), dir.Path, dir.Sub("io"));
    EXPECT_TRUE(r.Exited && r.Status == 0) << r;
    EXPECT_NE(r.Out.find("1-Block cover: 260624 / 13983816 (1.86375%) - Th.Min: 53.655\n"),
              std::string::npos)
        << r.Out;
    EXPECT_NE(r.Out.find("Inverse c(49,43,40,43)"), std::string::npos) << r.Out;

    for (const char* bad : {"info --v 6 --k 6 --t 3 --m 6", "info --v 10 --k 5 --t 6 --m 6"}) {
        r = RunCli(Args(bad), dir.Path, dir.Sub("io"));
        EXPECT_TRUE(r.Exited && r.Status == 2) << bad << "\n" << r;
        EXPECT_NE((r.Out + r.Err).find("Invalid parameters or too large to handle..."),
                  std::string::npos)
            << bad;
        EXPECT_EQ((r.Out + r.Err).find("1-Block cover"), std::string::npos) << bad;
    }
}

// The .cvc holds the file's own numbers as points; back as text the blocks are the
// same, separators and leading zeros aside.
TEST(CliConvert, TextToCvcAndBackKeepsTheBlocks) {
    TTempDir dir;
    const fs::path out = dir.Sub("out");
    const TCovering original = ReadCovering(DataFile("sparse_k4.txt"));
    ASSERT_EQ(original.Blocks.size(), 6u);

    TRun r = RunCli({"convert", DataFile("sparse_k4.txt").string(), (out / "s.cvc").string()},
                    dir.Path, dir.Sub("io"));
    ASSERT_TRUE(r.Exited && r.Status == 0) << r;
    const TCovering packed = ReadCovering(out / "s.cvc");
    EXPECT_EQ(packed.V, 99);
    EXPECT_EQ(packed.K, 4);
    EXPECT_EQ(Sorted(packed.Blocks), Sorted(original.Blocks));

    r = RunCli({"convert", (out / "s.cvc").string(), (out / "s.txt").string()}, dir.Path,
               dir.Sub("io"));
    ASSERT_TRUE(r.Exited && r.Status == 0) << r;
    EXPECT_EQ(Sorted(ReadCovering(out / "s.txt").Blocks), Sorted(original.Blocks));
}

// Bad flags: status 2, a message naming the fault, and no file anywhere.
TEST(CliBadInput, FlagsAreRefusedWithoutWritingAnything) {
    const std::string base = "optimize --v 10 --k 5 --t 4 --m 4 --b 53 --expand -999 --time 5 "
                             "--quiet --out {out}";
    struct TCase {
        std::vector<std::string> Args;
        std::string Message;
    };
    // Replaces the value of one flag of the base command, or adds the flag.
    const auto with = [&](const std::string& flag, const std::string& value) {
        std::vector<std::string> args = Split(base);
        auto it = std::find(args.begin(), args.end(), "--" + flag);
        if (it == args.end())
            args.insert(args.end(), {"--" + flag, value});
        else
            *(it + 1) = value;
        return args;
    };
    const auto without = [&](const std::string& flag) {
        std::vector<std::string> args = Split(base);
        auto it = std::find(args.begin(), args.end(), "--" + flag);
        args.erase(it, it + 2);
        return args;
    };
    const TCase cases[] = {
        {with("v", "1"), "--v"},
        {with("v", "100"), "--v"},
        {with("k", "13"), "--k"},
        {with("t", "0"), "--t"},
        {with("m", "13"), "--m"},
        {with("b", "0"), "--b"},
        {with("lbase", "0"), "--lbase"},
        {with("lrate", "0"), "--lrate"},
        {with("lrate", "101"), "--lrate"},
        {with("expand", "-1000"), "--expand"},
        {with("expand", "1001"), "--expand"},
        {with("tension", "1001"), "--tension"},
        {with("memory", "-1"), "--memory"},
        {with("seed", "0"), "--seed"},
        {with("search", "bogus"), "--search"},
        {with("criteria", "bogus"), "--criteria"},
        {with("format", "bogus"), "--format"},
        {with("bogus", "1"), "--bogus"},
        {Args(base, {"--seed"}), "--seed"},
        {with("v", "ten"), "--v"},
        {with("b", "5x"), "--b"},
        {with("lrate", "50%"), "--lrate"},
        {without("b"), "--b"},
        {Args(base, {"stray"}), "stray"},
        {with("out", "{out}/missing/c.txt"), "does not exist"},
        {with("out", "{out}/missing/"), "does not exist"},
        {with("start", "{in}/missing.txt"), "does not exist"},
        {with("t", "6"), "Invalid parameters or too large to handle..."},
        {with("m", "3"), "Invalid parameters or too large to handle..."},
        {{"frobnicate", "--v", "10"}, "frobnicate"},
        {{"convert", "{in}/missing.txt", "{out}/c.cvc"}, "does not exist"},
    };
    TTempDir dir;
    const fs::path out = dir.Sub("out"), in = dir.Sub("in");
    for (const auto& c : cases) {
        std::vector<std::string> args = c.Args;
        std::string shown;
        for (auto& a : args) {
            for (const auto& [key, path] : {std::pair{"{out}", out}, std::pair{"{in}", in}})
                if (const size_t at = a.find(key); at != std::string::npos)
                    a.replace(at, std::string(key).size(), path.string());
            shown += a + " ";
        }
        SCOPED_TRACE(shown);
        const TRun r = RunCli(args, out, dir.Sub("io"));
        EXPECT_TRUE(r.Exited && r.Status == 2) << r;
        EXPECT_NE(r.Err.find(c.Message), std::string::npos) << r.Err;
        EXPECT_TRUE(r.Out.empty());
        EXPECT_TRUE(FolderContent(out).empty());
    }
}

// Damaged covering files: a clear reason, status 2, never a signal, nothing written.
TEST(CliBadInput, DamagedCoveringFilesAreRefused) {
    const std::string good = CvcBytes(10, 5, 2, {0, 1});
    const struct {
        std::string Name, Content, Message;
    } cases[] = {
        {"v100.cvc", CvcBytes(100, 5, 1, {0}), "invalid parameters v = 100"},
        {"k13.cvc", CvcBytes(20, 13, 1, {0}), "invalid parameters v = 20, k = 13"},
        {"k0.cvc", CvcBytes(10, 0, 1, {0}), "invalid parameters v = 10, k = 0"},
        {"rank.cvc", CvcBytes(10, 5, 2, {0, 252}), "invalid rank 252"},
        {"negative.cvc", CvcBytes(10, 5, 1, {-1}), "invalid rank -1"},
        {"record.cvc", good.substr(0, good.size() - 2), "truncated"},
        {"header.cvc", good.substr(0, 10), "truncated"},
        {"count.cvc", CvcBytes(10, 5, 3, {0, 1}), "header gives 3"},
        {"huge.cvc", CvcBytes(10, 5, 2147483647, {0}), "header gives 2147483647"},
        {"magic.cvc", "XCVC" + good.substr(4), "not a Corvina compressed covering file"},
        {"thirteen.txt", "1 2 3 4 5 6 7 8 9 10 11 12 13\r\n", "more than 12 numbers"},
        {"n128.txt", "1 2 3 4 5\r\n1 2 3 4 128\r\n", "128, outside 1..99"},
        {"n300.txt", "1 2 3 4 5\r\n1 2 3 4 300\r\n", "300, outside 1..99"},
        {"n100.txt", "1 2 3 4 100\r\n", "100, outside 1..99"},
        {"sizes.txt", "1 2 3 4 5\r\n1 2 3 4\r\n", "Line 2 holds 4 numbers"},
        {"twice.txt", "1 2 3 3 5\r\n", "3 twice"},
        {"words.txt", "no numbers here\r\n\r\n", "no block"},
    };
    TTempDir dir;
    const fs::path out = dir.Sub("out"), in = dir.Sub("in");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = (in / c.Name).string();
        WriteAll(file, c.Content);
        for (const auto& args :
             {Args("optimize --t 2 --m 2 --time 5 --quiet",
                   {"--start", file, "--out", out.string()}),
              std::vector<std::string>{"convert", file, (out / "c.txt").string()},
              std::vector<std::string>{"convert", file, (out / "c.cvc").string()}}) {
            SCOPED_TRACE(args[0] + " " + args.back());
            const TRun r = RunCli(args, dir.Path, dir.Sub("io"));
            EXPECT_TRUE(r.Exited && r.Status == 2) << r;
            EXPECT_NE(r.Err.find(c.Message), std::string::npos) << r.Err;
            EXPECT_TRUE(FolderContent(out).empty());
        }
    }
}

// Ctrl-C pauses the run, saves the best covering and reports it as not met.
TEST(CliInterrupt, CtrlCSavesTheBestCovering) {
    struct TCase {
        std::string Flags, Out;
        TDesign Design;
        bool CheckCount; // small enough to count the covered m-subsets here
    } cases[] = {
        {"--v 20 --k 6 --t 4 --m 5 --b 60", "best.txt", {20, 6, 4, 5, 1, 60}, true},
        {"--v 49 --k 6 --t 3 --m 6 --b 30 --memory 0", "best.cvc", {49, 6, 3, 6, 1, 30}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Flags);
        TTempDir dir;
        const fs::path io = dir.Sub("io"), out = dir.Sub("out") / c.Out;
        const fs::path outFile = io / "stdout.txt", errFile = io / "stderr.txt";
        const pid_t pid = Spawn(Args("optimize --seed 4711 " + c.Flags, {"--out", out.string()}),
                                dir.Path, outFile, errFile);
        ASSERT_GT(pid, 0);
        // The first progress line shows the run has begun (and Ctrl-C is handled); the
        // wait is bounded so a broken program cannot hang the test.
        for (int i = 0; i < 3000 && ReadAll(errFile).find("Coverage") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::seconds(1));
        ::kill(pid, SIGINT);
        const TRun r = Wait(pid, outFile, errFile, 60);
        ASSERT_TRUE(r.Exited && r.Status == 1) << r;
        EXPECT_NE(r.Err.find("interrupted"), std::string::npos) << r.Err;

        const TCovering got = ReadCovering(out);
        const TDesign& d = c.Design;
        EXPECT_EQ(got.K, d.k);
        if (out.extension() == ".cvc") {
            EXPECT_EQ(got.V, d.v);
        }
        ASSERT_EQ(static_cast<int>(got.Blocks.size()), d.b);
        EXPECT_EQ(BlockMasks(got, d.v).size(), got.Blocks.size()) << "a block is not valid";
        if (c.CheckCount) {
            const int64_t uncovered = Uncovered(got, d.v, d.t, d.m, d.L);
            // The saved covering is the one the summary reports.
            std::smatch match;
            ASSERT_TRUE(std::regex_search(r.Err, match, std::regex(R"((\d+) of (\d+) m-subsets)")))
                << r.Err;
            EXPECT_EQ(std::stoll(match[2].str()), Choose(d.v, d.m));
            EXPECT_EQ(std::stoll(match[1].str()), Choose(d.v, d.m) - uncovered);
        }
    }
}

#endif // CORVINA_CLI_PATH
