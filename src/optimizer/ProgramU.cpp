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
    (void)ExpNeg(0);
    return seed;
}
} // namespace

TProgram::TProgram(THost& host, const std::string& programFolder, int32_t seed)
    : Host(host), Engines(Cover), Anneal(*this), Random(BuildTables(seed)),
      Env(*this, programFolder),
      Options(programFolder.empty() ? TProgramOptions{} : ReadOptions(programFolder)) {
    Engines.Read = [this] {
        return TCoverageReadings{Settings.ImprovementMode, FilterSettings.FilteredOverOverall,
                                 Settings.CyclicSearch()};
    };
}

TProgram::~TProgram() {
    // Nothing may run the loop any more; the engines go before the covering.
    Anneal.ResetRun();
}

void TProgram::WriteOptionsNow() {
    if (!Env.AppFolder.empty()) WriteOptions(Env.AppFolder, Options);
}

} // namespace corvina
