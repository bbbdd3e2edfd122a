#pragma once
// The terminal's stand-in for the desktop: message processing is a counter, a clock
// read every 32 calls, and real work (Ctrl-C, timers, the idle callback) at most
// every millisecond.
#include <chrono>
#include <functional>
#include <map>
#include <string>

#include "optimizer/HostU.h"

namespace corvina::cli {

class TTerminalHost : public THost {
  public:
    TTerminalHost();
    ~TTerminalHost() override;

    // Runs at most every millisecond from ProcessMessages.
    std::function<void()> OnIdle;
    // Runs once when Ctrl-C is pressed (from ProcessMessages, on the loop's thread).
    std::function<void()> OnInterrupt;
    bool Quiet = false;
    bool AssumeYes = true; // answers to confirmations without a person at the terminal

    void ProcessMessages() override {
        // The loop calls this after every candidate; a clock read every 32 calls keeps
        // the cost to a counter while the work still happens about every millisecond.
        if (++Calls & 31) return;
        const auto now = std::chrono::steady_clock::now();
        if (now < NextWork) return;
        NextWork = now + std::chrono::milliseconds(1);
        DoWork(now);
    }
    TTimerId CreateTimer(int intervalMs, std::function<void()> onTick) override;
    void SetTimerEnabled(TTimerId id, bool enabled) override;
    bool TimerEnabled(TTimerId id) const override;
    void DestroyTimer(TTimerId id) override;

    bool WarningBox(const std::string& text) override;
    bool ConfirmBox(const std::string& text) override;
    void InfoBox(const std::string& text) override;
    void ErrorBox(const std::string& text) override;
    bool InputBox(const std::string& title, const std::string& prompt, std::string& value) override;
    bool SaveDialog(const std::string& folder, const std::string& proposedName, bool textOnly,
                    std::string& chosenPath, int& filterIndex) override;
    void SetHourglass(bool) override {}
    void SetClipboardText(const std::string& text) override;
    void PlaySound(const std::string&) override {}
    bool ReadRegistryInt(const std::string&, int32_t&) override { return false; }
    bool WriteRegistryInt(const std::string&, int32_t) override { return false; }
    bool SetProcessPriority(int32_t priorityClass) override;
    void RefreshRunState(TRunState) override {}
    void RefreshParameterFrames() override {}
    void ShowReport(const TReportTexts& texts) override;
    void ShowBlockCount(int) override {}
    void BiasGraphChanged() override {}
    void RefreshBestWindow() override {}
    void RefreshCurrentWindow() override {}
    void ResetBlockWindows() override {}
    void CloseBlockWindows() override {}

    // True when Ctrl-C was pressed and not yet handled.
    static bool InterruptPending();
    // Ends an updating status line before other output.
    void EndStatusLine();

  private:
    struct TTimer {
        int Interval;
        bool Enabled = false;
        std::chrono::steady_clock::time_point Due;
        std::function<void()> OnTick;
    };
    void DoWork(std::chrono::steady_clock::time_point now);
    std::chrono::steady_clock::time_point NextWork{};
    unsigned Calls = 0;
    std::map<TTimerId, TTimer> Timers;
    TTimerId NextId = 1;
    bool Terminal = false;
    bool StatusOpen = false;
    std::chrono::steady_clock::time_point Started;
};

// Message texts keep "\n\r" between lines; a terminal wants plain line feeds.
std::string PlainLines(const std::string& text);

} // namespace corvina::cli
