#include "InverseU.h"

#include <algorithm>

#include "SingleBlockCoverU.h"
#include "core/CoveringBlockU.h"
#include "core/ErrorsU.h"
#include "core/StringU.h"
#include "core/nCkU.h"

namespace corvina {

bool TInverseClass::InverseParameters(int v, int k, int t, int m, int& vI, int& kI, int& tI,
                                      int& mI) {
    vI = v;
    kI = v - k;
    mI = v - m;
    tI = v - k - m + t;
    return !(kI >= vI || kI < tI || mI < tI || tI < 1 || (kI == mI && mI == tI));
}

std::string TInverseClass::LabelText(int v, int k, int t, int m, int LBase, double LRate, int b) {
    std::string summary;
    int vI = 0, kI = 0, tI = 0, mI = 0;
    if (SingleBlockCoverText(v, k, t, m, LBase, LRate, b, summary) &&
        InverseParameters(v, k, t, m, vI, kI, tI, mI))
        return FormatText("Inverse c(%2.2d,%2.2d,%2.2d,%2.2d)", vI, kI, tI, mI);
    return InverseUnableText;
}

std::string TInverseClass::CoveringText(const std::vector<int32_t>& bestRanks, int v, int k,
                                        const TShortIntArray& myNumbers) {
    TBlockParameters params;
    if (!params.SetBlockParameters(v, k)) throw ECorvinaError(SingleBlockCoverFailureText);
    // Point p stands for the p-th smallest of the user's numbers.
    TShortIntArray mapping;
    if (static_cast<int>(myNumbers.size()) == v) {
        mapping = myNumbers;
        std::sort(mapping.begin(), mapping.end());
    }
    TShortIntArray points(k);
    TShortIntArray complement(v - k + 1);
    std::string text;
    for (auto it = bestRanks.rbegin(); it != bestRanks.rend(); ++it) {
        if (!BlockFromRank(*it, v, points))
            throw ECorvinaError(FormatText("Inverse - invalid block rank %d", *it));
        BuildComplement(params, points, complement);
        TShortIntArray line(complement.begin() + 1, complement.end());
        if (!mapping.empty())
            for (int8_t& p : line) p = mapping[p - 1];
        text += BlockToText(line, " ") + "\r\n";
    }
    return text;
}

} // namespace corvina
