#pragma once
// The program's single objects, owned in start-up order and destroyed in reverse.
#include <cstdint>

#include "core/AdditivePRNGU.h"
#include "core/CoverU.h"

namespace corvina {

// A seed from the general-purpose random source, as the desktop program uses.
int32_t RandomStartSeed();

class TProgram {
  public:
    explicit TProgram(int32_t seed = RandomStartSeed());
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TCoverClass Cover;           // the covering store
    TtdAdditiveGenerator Random; // the shared additive generator
};

} // namespace corvina
