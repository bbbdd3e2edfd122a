#include "AdditivePRNGU.h"

namespace corvina {

TtdAdditiveGenerator::TtdAdditiveGenerator(int32_t seed) : Seeder(seed) {
    for (int i = 54; i >= 0; --i) Table[i] = Seeder.AsFloat();
}

} // namespace corvina
