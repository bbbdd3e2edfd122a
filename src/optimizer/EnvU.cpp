#include "EnvU.h"

#include "AnnealU.h"
#include "ProgramU.h"
#include "core/StringU.h"
#include "coverage/SingleBlockCoverU.h"

namespace corvina {

int32_t PriorityMenuClass(int32_t stored) {
    return stored == 64 || stored == 16384 ? stored : 32;
}

std::string AutoSaveConfirmText(const std::string& folder) {
    return FormatText("The auto-save feature is active and any improvements will be stored in "
                      "%s%s%sDo you want to continue?",
                      "\n\r", folder.c_str(), "\n\r");
}

TEnvironmentClass::TEnvironmentClass(TProgram& program, std::string appFolder)
    : AppFolder(std::move(appFolder)), P(program) {
    if (!AppFolder.empty() && AppFolder.back() != '/') AppFolder += '/';
    LoadPriority();
}

void TEnvironmentClass::LoadPriority() {
    PriorityClass = 32;
    int32_t stored = 0;
    if (P.Host.ReadRegistryInt("Priority", stored)) PriorityClass = stored;
}

void TEnvironmentClass::SetPriority(int32_t priorityClass) {
    PriorityClass = priorityClass;
    P.Host.SetProcessPriority(priorityClass);
    P.Host.WriteRegistryInt("Priority", priorityClass);
}

void TEnvironmentClass::ClearAll() {
    if (P.Anneal.LoopActive) {
        // A command nested in the running loop: the move procedure on the stack still
        // uses the engines and blocks, so the loop stops first and the clear follows.
        P.Anneal.Running = false;
        P.Anneal.ClearPending = true;
        return;
    }
    P.Anneal.FilteredImport = false;
    P.Anneal.ResetRun();
    P.Cover.ClearAll();
    P.Host.CloseBlockWindows();
}

void TEnvironmentClass::PrepareEngines() {
    P.Anneal.PrepareEngines();
}

void TEnvironmentClass::SetRunState(TRunState newState) {
    const TRunState oldState = RunState;
    RunState = newState;
    P.Host.RefreshRunState(RunState);
    try {
        Transition(oldState, newState);
    } catch (...) {
        RunState = oldState;
        P.Host.RefreshRunState(RunState);
        throw;
    }
}

void TEnvironmentClass::ClearWithRefresh() {
    struct TRefresh {
        THost& Host;
        ~TRefresh() { Host.RefreshParameterFrames(); }
    } refresh{P.Host};
    ClearAll();
}

void TEnvironmentClass::Transition(TRunState oldState, TRunState newState) {
    if (oldState == rsFullConstruction) {
        ClearAll();
        return;
    }
    switch (oldState) {
    case rsCleared:
        if (newState == rsRunning)
            StartNew();
        else if (newState == rsFullConstruction)
            FullConstruction();
        break;
    case rsImported:
        if (newState == rsCleared) {
            THourglass cursor(P.Host);
            ClearWithRefresh();
        } else if (newState == rsRunning) {
            {
                THourglass cursor(P.Host);
                P.Anneal.ValidateSettings(false);
                PrepareEngines();
            }
            P.Anneal.StartRun();
        }
        break;
    case rsRunning:
        if (newState == rsCleared) {
            THourglass cursor(P.Host);
            ClearWithRefresh();
        } else if (newState == rsPaused) {
            P.Anneal.PauseRun();
        }
        break;
    case rsPaused:
        if (newState == rsCleared)
            ClearWithRefresh();
        else if (newState == rsRunning)
            P.Anneal.StartRun();
        break;
    default:
        break;
    }
}

void TEnvironmentClass::StartNew() {
    if (P.Options.ImprovementAutoSaveMode &&
        !P.Host.ConfirmBox(AutoSaveConfirmText(P.Options.ImprovementAutoSaveDir))) {
        SetRunState(rsCleared);
        return;
    }
    {
        THourglass cursor(P.Host);
        ClearAll();
        P.Anneal.ValidateSettings(false);
        const TMainSettings& s = P.Settings;
        if (!P.Cover.SetBlockParameters(s.v, s.k))
            throw ECorvinaError("Invalid parameters or too large to handle...");
        P.Cover.CreateRandom(s.b, P.Random);
        PrepareEngines();
    }
    P.Anneal.StartRun();
}

void TEnvironmentClass::FullConstruction() {
    TMainSettings& s = P.Settings;
    std::string text;
    if (!SingleBlockCoverText(s.v, s.k, 1, 1, 1, 1.0, 1, text)) {
        SetRunState(rsCleared);
        return;
    }
    const int savedM = s.m;
    s.m = s.k;
    try {
        P.Anneal.SaveFullConstruction();
    } catch (...) {
        s.m = savedM;
        SetRunState(rsCleared);
        throw;
    }
    s.m = savedM;
    SetRunState(rsCleared);
}

} // namespace corvina
