#pragma once
// A scripted host for tests: records what the core asked of the platform, answers
// questions from queues, fires timers on request and runs a script from
// ProcessMessages (the place where a user's command would arrive).
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "optimizer/HostU.h"

namespace corvina::fake {

class TFakeHost : public THost {
  public:
    struct TTimer {
        int Interval = 0;
        bool Enabled = false;
        std::function<void()> OnTick;
    };

    // Runs on every ProcessMessages call; the argument counts the calls.
    std::function<void(long)> OnProcess;
    long ProcessCalls = 0;

    std::deque<bool> Answers; // Yes/No answers; an empty queue answers No
    std::deque<std::string> Inputs;
    struct TSaveAnswer {
        bool Ok;
        std::string Path;
        int FilterIndex;
    };
    std::deque<TSaveAnswer> SaveAnswers;

    std::vector<std::string> Boxes; // "warning: ...", "confirm: ...", "info: ...", "error: ..."
    std::vector<TRunState> StateRefreshes;
    std::vector<std::string> Events; // other calls, by name
    std::string Clipboard;
    std::vector<std::string> Sounds;
    TReportTexts LastReport;
    int Reports = 0;
    int LastBlockCount = -1;
    std::map<std::string, int32_t> Registry;
    bool RegistryOpen = true;
    std::vector<int32_t> Priorities;
    std::map<int, TTimer> Timers;
    int NextTimer = 1;
    int HourglassDepth = 0;
    std::string LastSaveProposal;

    void ProcessMessages() override {
        ++ProcessCalls;
        if (OnProcess) OnProcess(ProcessCalls);
    }
    TTimerId CreateTimer(int intervalMs, std::function<void()> onTick) override {
        Timers[NextTimer] = TTimer{intervalMs, false, std::move(onTick)};
        return NextTimer++;
    }
    void SetTimerEnabled(TTimerId id, bool enabled) override {
        if (Timers.count(id)) Timers[id].Enabled = enabled;
    }
    bool TimerEnabled(TTimerId id) const override {
        auto it = Timers.find(id);
        return it != Timers.end() && it->second.Enabled;
    }
    void DestroyTimer(TTimerId id) override { Timers.erase(id); }
    // Fires every enabled timer with this interval once.
    void Fire(int intervalMs) {
        std::vector<std::function<void()>> due;
        for (auto& [id, t] : Timers)
            if (t.Enabled && t.Interval == intervalMs) due.push_back(t.OnTick);
        for (auto& f : due) f();
    }

    bool Answer() {
        if (Answers.empty()) return false;
        const bool a = Answers.front();
        Answers.pop_front();
        return a;
    }
    bool WarningBox(const std::string& text) override {
        Boxes.push_back("warning: " + text);
        return Answer();
    }
    bool ConfirmBox(const std::string& text) override {
        Boxes.push_back("confirm: " + text);
        return Answer();
    }
    void InfoBox(const std::string& text) override { Boxes.push_back("info: " + text); }
    void ErrorBox(const std::string& text) override { Boxes.push_back("error: " + text); }
    bool InputBox(const std::string& title, const std::string&, std::string& value) override {
        Boxes.push_back("input: " + title);
        if (Inputs.empty()) return false;
        value = Inputs.front();
        Inputs.pop_front();
        return true;
    }
    bool SaveDialog(const std::string&, const std::string& proposedName, bool textOnly,
                    std::string& chosenPath, int& filterIndex) override {
        LastSaveProposal = proposedName;
        Events.push_back(textOnly ? "save dialog (text only)" : "save dialog");
        if (SaveAnswers.empty()) return false;
        const TSaveAnswer a = SaveAnswers.front();
        SaveAnswers.pop_front();
        chosenPath = a.Path;
        filterIndex = a.FilterIndex;
        return a.Ok;
    }
    void SetHourglass(bool on) override { HourglassDepth += on ? 1 : -1; }
    void SetClipboardText(const std::string& text) override { Clipboard = text; }
    void PlaySound(const std::string& file) override { Sounds.push_back(file); }
    bool ReadRegistryInt(const std::string& name, int32_t& value) override {
        if (!RegistryOpen || !Registry.count(name)) return false;
        value = Registry[name];
        return true;
    }
    bool WriteRegistryInt(const std::string& name, int32_t value) override {
        if (!RegistryOpen) return false;
        Registry[name] = value;
        return true;
    }
    bool SetProcessPriority(int32_t priorityClass) override {
        Priorities.push_back(priorityClass);
        return true;
    }
    void RefreshRunState(TRunState state) override { StateRefreshes.push_back(state); }
    void RefreshParameterFrames() override { Events.push_back("frames"); }
    void ShowReport(const TReportTexts& texts) override {
        LastReport = texts;
        ++Reports;
    }
    void ShowBlockCount(int blocks) override { LastBlockCount = blocks; }
    void BiasGraphChanged() override {}
    void RefreshBestWindow() override {}
    void RefreshCurrentWindow() override {}
    void ResetBlockWindows() override {}
    void CloseBlockWindows() override { Events.push_back("close block windows"); }
};

} // namespace corvina::fake
