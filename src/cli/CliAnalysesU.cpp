// corvina-cli rates and hits: the analyses of a covering file, printed in the
// layout they have on the clipboard.
#include <algorithm>
#include <cstdio>
#include <mutex>

#include "CliArgsU.h"
#include "CliCommandsU.h"
#include "core/StringU.h"
#include "coverage/CoverRateU.h"
#include "coverage/HitsDisplayU.h"

namespace corvina::cli {

int RatesCommand(const std::vector<std::string>& argv) {
    TArgs args(argv, {"l", "tmin", "mfrom", "mto"}, {});
    if (args.Positional.size() != 1) throw EUsage("rates needs one covering FILE");
    const TLoadedCovering c = LoadCovering(args.Positional[0], 0);
    const int L = static_cast<int>(args.Int("l", 1, 1, 99));
    const int tMin = static_cast<int>(args.Int("tmin", 2, 1, 10));
    const int mFrom = static_cast<int>(args.Int("mfrom", 2, 1, 12));
    const int mTo = static_cast<int>(args.Int("mto", 7, 1, 12));

    std::vector<std::vector<std::string>> rows{CoverRateHeader()};
    std::mutex lock;
    TCoverRatesThread worker(c.v, c.k, [&c] { return c.Ranks; });
    worker.Prepare(L);
    worker.SetRange(mFrom, mTo, tMin);
    worker.SetOnCell([&](const TCoverRateCell& cell) {
        std::vector<std::string> row = CoverRateRowTexts(cell);
        std::lock_guard guard(lock);
        if (!row.empty()) rows.push_back(std::move(row));
    });
    worker.Start();
    worker.Wait();
    std::fputs(CoverRatesClipboardText(rows).c_str(), stdout);
    return 0;
}

int HitsCommand(const std::vector<std::string>& argv) {
    TArgs args(argv, {"m", "fold", "mother"}, {"filtered"});
    if (args.Positional.size() != 1) throw EUsage("hits needs one covering FILE");
    if (!args.Has("m")) throw EUsage("--m is required");
    const bool filtered = args.Switch("filtered");
    TLoadedCovering c = LoadCovering(args.Positional[0], 0);
    const int m = static_cast<int>(args.Int("m", 0, 1, 12));
    const int fold = static_cast<int>(args.Int("fold", 3, 0, 12));
    TIntArray allowed;
    if (args.Has("mother")) {
        // The mother covering's blocks are the draws of the filtered analysis; both
        // files are read on the same points.
        c = LoadCovering(args.Positional[0], c.v);
        const TLoadedCovering mother = LoadCovering(args.Text("mother"), c.v);
        if (mother.k != c.k) throw EUsage("the mother covering has another block size");
        allowed.assign(mother.Ranks.begin(), mother.Ranks.end());
        std::sort(allowed.begin(), allowed.end());
        allowed.erase(std::unique(allowed.begin(), allowed.end()), allowed.end());
    }
    THitsDisplayClass hits(
        c.v, c.k, m, filtered, [&c] { return c.Ranks; }, allowed);
    hits.Show(filtered ? c.k : m, fold);
    if (!hits.GridVisible())
        throw EUsage(FormatText("no draws of %d numbers can be analysed for %d points", m, c.v));
    std::fputs(hits.ClipboardText().c_str(), stdout);
    return 0;
}

} // namespace corvina::cli
