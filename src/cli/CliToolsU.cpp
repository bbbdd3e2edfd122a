// corvina-cli info, convert, and reading covering files for the other commands.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "CliArgsU.h"
#include "CliCommandsU.h"
#include "core/StringU.h"
#include "core/nCkU.h"
#include "coverage/InverseU.h"
#include "coverage/SingleBlockCoverU.h"
#include "files/FileAnalyseU.h"

namespace corvina::cli {

bool IsCompressedName(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    return SameTextAscii(ext, ".cvc");
}

namespace {
// v from the header of a compressed file (0, 'C', 'V', 'C', then v, k and the block
// count as 32-bit little-endian integers); 0 when it cannot be read.
int CompressedHeaderV(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[8] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return 0;
    const uint32_t v =
        header[4] | header[5] << 8 | header[6] << 16 | static_cast<uint32_t>(header[7]) << 24;
    return v <= 99 ? static_cast<int>(v) : 0;
}
} // namespace

TLoadedCovering LoadCovering(const std::string& path, int v) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw EUsage("the file '" + path + "' does not exist");
    // A compressed file names its v: keep its points as they are.
    if (v == 0 && IsCompressedName(path)) v = CompressedHeaderV(path);
    TFileAnalyseClass analyse;
    if (!analyse.Analyse(SourceFile, path, IsCompressedName(path)) || analyse.LineCount() == 0) {
        const std::string why = !analyse.ErrorText.empty()    ? analyse.ErrorText
                                : !analyse.FailReason.empty() ? analyse.FailReason
                                                              : "no blocks found";
        throw EUsage("'" + path + "' is not a covering: " + why);
    }
    TLoadedCovering out;
    out.k = analyse.BlockSize;
    if (v > 0) {
        if (analyse.HighestPoint > v)
            throw EUsage(FormatText("'%s' uses the point %d, above --v %d", path.c_str(),
                                    analyse.HighestPoint, v));
        out.v = v;
    } else {
        out.v = analyse.PointCount;
        out.Selected.assign(101, false);
        for (int n = 1; n <= 100; ++n) out.Selected[n] = analyse.SelectedFlags[n - 1] != 0;
    }
    if (out.k < 1 || out.k > out.v || Binomial(out.v, out.k) <= 0)
        throw EUsage(FormatText("'%s': blocks of %d numbers from %d points cannot be ranked",
                                path.c_str(), out.k, out.v));
    TShortIntArray points(static_cast<size_t>(13));
    for (int i = 1; i <= analyse.LineCount(); ++i) {
        TShortIntArray block;
        if (v > 0) {
            const int n = ParseNumbers(analyse.GetLine(i), points, 99);
            block.assign(points.begin(), points.begin() + n);
            std::sort(block.begin(), block.end());
        } else if (!analyse.GetMappedBlock(i, block)) {
            throw EUsage(FormatText("'%s': line %d cannot be read", path.c_str(), i));
        }
        if (static_cast<int>(block.size()) != out.k)
            throw EUsage(
                FormatText("'%s': line %d does not hold %d points", path.c_str(), i, out.k));
        out.Ranks.push_back(BlockRank(block, out.v));
    }
    return out;
}

int InfoCommand(const std::vector<std::string>& argv) {
    TArgs args(argv, {"v", "k", "t", "m", "lbase", "lrate", "b"}, {});
    if (!args.Positional.empty()) throw EUsage("unexpected argument '" + args.Positional[0] + "'");
    for (const char* required : {"v", "k", "t", "m"})
        if (!args.Has(required)) throw EUsage(std::string("--") + required + " is required");
    const int v = static_cast<int>(args.Int("v", 0, 2, 99));
    const int k = static_cast<int>(args.Int("k", 0, 2, 12));
    const int t = static_cast<int>(args.Int("t", 0, 1, 11));
    const int m = static_cast<int>(args.Int("m", 0, 1, 12));
    const int L = static_cast<int>(args.Int("lbase", 1, 1, 99));
    const double rate = args.Real("lrate", 100, 0.01, 100) / 100;
    const int b = static_cast<int>(args.Int("b", 1, 1, 999999));
    std::string text;
    const bool ok = SingleBlockCoverText(v, k, t, m, L, rate, b, text);
    std::printf("%s\n%s\n", text.c_str(), TInverseClass::LabelText(v, k, t, m, L, rate, b).c_str());
    return ok ? 0 : 2;
}

int ConvertCommand(const std::vector<std::string>& argv) {
    TArgs args(argv, {"separator"}, {});
    if (args.Positional.size() != 2) throw EUsage("convert needs IN and OUT");
    const std::string& in = args.Positional[0];
    const std::string& out = args.Positional[1];
    // The numbers stay as they stand in the file: a compressed file keeps its v, a
    // text file gets its highest number as v.
    TFileAnalyseClass probe;
    int v = 0;
    if (!IsCompressedName(in)) {
        if (probe.Analyse(SourceFile, in, false)) v = probe.HighestPoint;
    }
    const TLoadedCovering c = LoadCovering(in, v);
    const std::string parent = std::filesystem::path(out).parent_path().string();
    std::error_code ec;
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec))
        throw EUsage("the folder '" + parent + "' does not exist");
    if (IsCompressedName(out))
        SaveCompressedCovering(out, c.Ranks, c.v, c.k);
    else
        SaveCoveringText(out, c.Ranks, c.v, c.k, args.Text("separator", " "));
    return 0;
}

} // namespace corvina::cli
