#include "MinStdPRNGU.h"

#include <chrono>

namespace corvina {

TtdMinStandardPRNG::TtdMinStandardPRNG(int32_t seed) {
    SetSeed(seed);
}

void TtdMinStandardPRNG::SetSeed(int32_t seed) {
    if (seed <= 0) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
        // The tick count is a 32-bit millisecond counter; keep it positive.
        FState = static_cast<int32_t>(static_cast<uint64_t>(ms) % 2147483646u) + 1;
    } else {
        FState = seed;
    }
    if (FState >= 2147483646) FState -= 2147483645;
}

double TtdMinStandardPRNG::AsFloat() {
    const int32_t q = FState / 127773;
    const int32_t r = FState % 127773;
    FState = 16807 * r - 2836 * q;
    if (FState <= 0) FState += 2147483647;
    return FState * (1.0 / 2147483647.0);
}

} // namespace corvina
