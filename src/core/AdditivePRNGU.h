#pragma once
// Additive lagged-Fibonacci generator seeded from the minimal standard generator.
#include <array>
#include <cstdint>

#include "MinStdPRNGU.h"

namespace corvina {

class TtdAdditiveGenerator final : public TtdBasePRNG {
  public:
    explicit TtdAdditiveGenerator(int32_t seed);
    double AsFloat() override {
        double x = Table[First] + Table[Second];
        if (x >= 1.0) x -= 1.0;
        Table[First] = x;
        First = First == 54 ? 0 : First + 1;
        Second = Second == 54 ? 0 : Second + 1;
        return x;
    }

    // The same as the base's AsInteger, visible to the compiler on the hot path.
    int32_t AsInteger(int32_t upper) {
        if (upper <= 0) return TtdBasePRNG::AsInteger(upper); // raises
        return static_cast<int32_t>(AsFloat() * upper);
    }

  protected:
    const char* ClassName() const override { return "TtdAdditiveGenerator"; }

  private:
    int32_t First = 54;
    int32_t Second = 28;
    TtdMinStandardPRNG Seeder;
    std::array<double, 55> Table{};
};

} // namespace corvina
