#pragma once
// A program with a scripted host and a small design, for the optimizer's tests.
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "FakeHost.h"
#include "TempDirU.h"
#include "optimizer/ProgramU.h"

namespace corvina::fake {

struct TRig {
    TFakeHost host;
    TProgram p{host, "", 7};

    TRig(int v, int k, int t, int m, int b) {
        p.Settings.v = v;
        p.Settings.k = k;
        p.Settings.t = t;
        p.Settings.m = m;
        p.Settings.b = b;
        p.Settings.VarBias = -999;
    }
    // Pauses the run after `calls` message-processing calls, or when the main
    // requirement is met if `untilComplete`.
    void PauseAfter(long calls, bool untilComplete = false) {
        host.OnProcess = [this, calls, untilComplete](long n) {
            if (p.Env.RunState != rsRunning) return;
            const TCoverEngineClass* e = p.Engines.Engine(1);
            const bool complete = e && e->BestCovered == e->Data->MSubsetTotal;
            if (n >= calls || (untilComplete && complete)) p.Env.SetRunState(rsPaused);
        };
    }
    // The given blocks as an imported covering, with the engines prepared.
    void Prepare(const std::vector<int32_t>& ranks) {
        ASSERT_TRUE(p.Cover.SetBlockParameters(p.Settings.v, p.Settings.k));
        for (int32_t r : ranks) p.Cover.AddBlock(r);
        p.Env.SetRunState(rsImported);
        p.Anneal.PrepareEngines();
    }
    std::vector<int32_t> CurrentRanks() const {
        std::vector<int32_t> r;
        for (int i = 1; i <= p.Cover.BlockCount(); ++i) r.push_back(p.Cover.Block(i)->Rank);
        return r;
    }
    TCoverEngineClass& Main() { return *p.Engines.Engine(1); }
};

} // namespace corvina::fake
