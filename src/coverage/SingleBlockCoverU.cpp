#include "SingleBlockCoverU.h"

#include <cmath>

#include "CoverDataU.h"
#include "CoverEngineDataU.h"
#include "core/StringU.h"

namespace corvina {

bool SingleBlockCoverText(int v, int k, int t, int m, int LBase, double LRate, int b,
                          std::string& text) {
    try {
        // The effective multiplicity: LBase - 1 full coverings plus the required share.
        const double L = LBase - 1 + LRate;
        if (!ValidParameters(v, k, t, m, LBase, LRate, b)) throw EInvalidPrms();
        const int32_t total = TCoverEngineDataClass::MSubsetCount(v, m);
        const int32_t one = TCoverEngineDataClass::OneBlockCoverCount(v, k, t, m);
        if (total <= 0 || one <= 0) throw EInvalidPrms();
        const double share = static_cast<double>(one) / total * 100;
        const double minimum = total * L / one;
        if (!std::isfinite(share) || !std::isfinite(minimum)) throw EInvalidPrms();
        std::string minimumText = FormatText("%.3f", minimum);
        if (L != 1) minimumText += FormatText(" [ L=%2.2f ]", L);
        text = FormatText("1-Block cover: %d / %d", one, total) + " (" + FormatText("%.5f", share) +
               "%) - Th.Min: " + minimumText;
        return true;
    } catch (const std::exception&) {
        text = SingleBlockCoverFailureText;
        return false;
    }
}

} // namespace corvina
