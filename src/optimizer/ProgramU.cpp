#include "ProgramU.h"

#include <random>

#include "core/nCkU.h"

namespace corvina {

int32_t RandomStartSeed() {
    std::random_device device;
    return static_cast<int32_t>(device() % 2147483647u);
}

namespace {
// The immutable tables are built on first use, thread-safely; touching them here
// builds them at start-up, before any window or worker needs them.
int32_t BuildTables(int32_t seed) {
    (void)Binomial(0, 0);
    (void)detail::RankTables();
    return seed;
}
} // namespace

TProgram::TProgram(int32_t seed) : Random(BuildTables(seed)) {}

} // namespace corvina
