#pragma once
// Everything the core needs from the platform: message processing, timers, message
// and input boxes, the cursor, the clipboard, sound, the registry, window refreshes
// and the process priority. The desktop program implements it with Qt, corvina-cli
// for a terminal, and tests with a scripted fake.
#include <cstdint>
#include <functional>
#include <string>

namespace corvina {

enum TRunState : uint8_t {
    rsCleared = 0,
    rsImported = 1,
    rsRunning = 2,
    rsPaused = 3,
    rsFullConstruction = 4
};

// The texts of the progress report, as the main window shows them.
struct TReportTexts {
    std::string Coverage, FilterFit, Improved, SpeedUsageMain, SpeedUsageAdd;
    int FilterFitTop = 116;
};

class THost {
  public:
    virtual ~THost() = default;

    // "Let the toolkit process pending messages": called after every evaluated
    // candidate, so it must be cheap; the real work may be throttled.
    virtual void ProcessMessages() = 0;

    // Timers fire from ProcessMessages on the caller's thread.
    using TTimerId = int;
    virtual TTimerId CreateTimer(int intervalMs, std::function<void()> onTick) = 0;
    virtual void SetTimerEnabled(TTimerId id, bool enabled) = 0;
    virtual bool TimerEnabled(TTimerId id) const = 0;
    virtual void DestroyTimer(TTimerId id) = 0;

    // Message boxes: true when the answer is Yes.
    virtual bool WarningBox(const std::string& text) = 0;
    virtual bool ConfirmBox(const std::string& text) = 0;
    virtual void InfoBox(const std::string& text) = 0;
    virtual void ErrorBox(const std::string& text) = 0;
    // False when cancelled.
    virtual bool InputBox(const std::string& title, const std::string& prompt,
                          std::string& value) = 0;
    // The save dialog: false when cancelled; filterIndex 1 = text, 2 = compressed.
    virtual bool SaveDialog(const std::string& folder, const std::string& proposedName,
                            bool textOnly, std::string& chosenPath, int& filterIndex) = 0;

    virtual void SetHourglass(bool on) = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual void PlaySound(const std::string& waveFile) = 0;

    // The program's key of the user's registry area; false when it cannot be opened.
    virtual bool ReadRegistryInt(const std::string& name, int32_t& value) = 0;
    virtual bool WriteRegistryInt(const std::string& name, int32_t value) = 0;
    // Applies a priority class (32 normal, 16384 below normal, 64 idle); false when
    // the system refused.
    virtual bool SetProcessPriority(int32_t priorityClass) = 0;

    // Window refreshes.
    virtual void RefreshRunState(TRunState state) = 0;
    virtual void RefreshParameterFrames() = 0; // vEChange without an edit box
    virtual void ShowReport(const TReportTexts& texts) = 0;
    virtual void ShowBlockCount(int blocks) = 0;
    virtual void BiasGraphChanged() = 0;
    virtual void RefreshBestWindow() = 0;
    virtual void RefreshCurrentWindow() = 0;
    virtual void ResetBlockWindows() = 0;
    virtual void CloseBlockWindows() = 0;
};

// The hourglass cursor for a scope; the normal cursor comes back also on failure.
class THourglass {
  public:
    explicit THourglass(THost& host) : Host(host) { Host.SetHourglass(true); }
    ~THourglass() { Host.SetHourglass(false); }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;

  private:
    THost& Host;
};

} // namespace corvina
