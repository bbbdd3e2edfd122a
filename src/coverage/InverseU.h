#pragma once
// The inverse of a covering: every block and every m-subset replaced by its
// complement, which turns c(v,k,t,m) into c(v, v-k, v-k-m+t, v-m).
#include <cstdint>
#include <string>
#include <vector>

#include "core/TypesU.h"

namespace corvina {

// What the inverse label shows before the first update.
inline constexpr const char* InverseInitialText = "Inverse c(v,k,t,m)";
inline constexpr const char* InverseUnableText = "Inverse - Unable to construct";
inline constexpr const char* InverseAdditionalEngineText =
    "Cannot save inverse when an additional coverage engine is assigned.";

class TInverseClass {
  public:
    // The inverse parameters; false when they do not describe a covering problem.
    static bool InverseParameters(int v, int k, int t, int m, int& vI, int& kI, int& tI, int& mI);

    // The label next to the coverage parameters: the inverse parameters when the
    // requirement passes the parameter check and has an inverse.
    static std::string LabelText(int v, int k, int t, int m, int LBase, double LRate, int b);

    // The text of the inverse covering file: one line per best rank, from the last to
    // the first, holding the points not in the block (mapped to `myNumbers` when it
    // lists exactly v numbers), each line ended by CR LF. Raises ECorvinaError for a
    // rank that is not a block of C(v, k).
    static std::string CoveringText(const std::vector<int32_t>& bestRanks, int v, int k,
                                    const TShortIntArray& myNumbers);
};

} // namespace corvina
