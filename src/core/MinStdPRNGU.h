#pragma once
// Park–Miller minimal standard generator (multiplier 16807, modulus 2^31 - 1).
#include <cstdint>

#include "BasePRNGU.h"

namespace corvina {

class TtdMinStandardPRNG : public TtdBasePRNG {
  public:
    explicit TtdMinStandardPRNG(int32_t seed);
    void SetSeed(int32_t seed);
    int32_t State() const { return FState; }
    double AsFloat() override;

  protected:
    const char* ClassName() const override { return "TtdMinStandardPRNG"; }

  private:
    int32_t FState = 1;
};

} // namespace corvina
