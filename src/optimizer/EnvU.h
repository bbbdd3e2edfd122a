#pragma once
// The run-state gate: every command that touches the covering asks for a new run
// state here, and the transition performs the work.
#include <cstdint>
#include <string>

#include "HostU.h"

namespace corvina {

class TProgram;

class TEnvironmentClass {
  public:
    TEnvironmentClass(TProgram& program, std::string appFolder);

    int32_t PriorityClass = 32;
    TRunState RunState = rsCleared;
    std::string AppFolder; // with a trailing "/"

    // The only way to change the run state. A failure of the transition's work puts
    // the old state back and propagates.
    void SetRunState(TRunState newState);
    void SetPriority(int32_t priorityClass);
    void LoadPriority();
    void ClearAll();
    void PrepareEngines();

  private:
    void Transition(TRunState oldState, TRunState newState);
    void ClearWithRefresh();
    void StartNew();
    void FullConstruction();
    TProgram& P;
};

// The Priority menu item a stored value selects: 64 Idle, 16384 Below Normal,
// anything else Normal (32).
int32_t PriorityMenuClass(int32_t stored);

// The confirmation asked before a new run when auto-save is on.
std::string AutoSaveConfirmText(const std::string& folder);

} // namespace corvina
