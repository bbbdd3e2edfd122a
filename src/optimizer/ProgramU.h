#pragma once
// The program's single objects, owned in start-up order and destroyed in reverse.
#include <cstdint>
#include <string>

#include "AnnealU.h"
#include "EnvU.h"
#include "HostU.h"
#include "core/AdditivePRNGU.h"
#include "core/CoverU.h"
#include "core/MainSettingsU.h"
#include "coverage/CoverEngineU.h"
#include "files/OptionsU.h"
#include "filters/FilterSettingsU.h"

namespace corvina {

// A seed from the general-purpose random source, as the desktop program uses.
int32_t RandomStartSeed();

class TProgram {
  public:
    // `programFolder` holds "options.ini"; empty means the defaults, nothing read.
    TProgram(THost& host, const std::string& programFolder, int32_t seed = RandomStartSeed());
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Writes the options back to "options.ini", as the desktop program does at exit.
    void WriteOptionsNow();

    THost& Host;
    // The settings models the windows bind to.
    TMainSettings Settings;
    TFilterSettings FilterSettings;
    // The single objects, in start-up order.
    TCoverClass Cover;
    TCoverEngines Engines;
    TAnnealEngineClass Anneal;
    TtdAdditiveGenerator Random;
    TEnvironmentClass Env;
    TProgramOptions Options;
};

} // namespace corvina
