#pragma once
// The one-line summary of a coverage requirement: what one block covers, its share
// and the counting bound on the number of blocks. Also the program's parameter check.
#include <string>

#include "core/ErrorsU.h"

namespace corvina {

// What the parameter label shows before the first computation.
inline constexpr const char* SingleBlockCoverInitialText = "1-Block cover: - / - (%),  Th.Min: -";
inline constexpr const char* SingleBlockCoverFailureText =
    "Invalid parameters or too large to handle...";

// Raised inside SingleBlockCoverText to reach its failure path; never leaves it.
class EInvalidPrms : public ECorvinaError {
  public:
    EInvalidPrms() : ECorvinaError("") {}
};

// Fills `text` with the summary and returns true, or fills it with the failure text
// and returns false when the requirement is invalid or too large for the tables.
bool SingleBlockCoverText(int v, int k, int t, int m, int LBase, double LRate, int b,
                          std::string& text);

} // namespace corvina
