#include "TerminalHostU.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace corvina::cli {

namespace {
std::atomic<bool> Interrupted{false};

extern "C" void OnSigint(int) {
    Interrupted = true;
    // A second Ctrl-C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}
} // namespace

bool TTerminalHost::InterruptPending() {
    return Interrupted.load();
}

std::string PlainLines(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') continue;
        out += text[i];
    }
    return out;
}

TTerminalHost::TTerminalHost()
    : Terminal(isatty(STDERR_FILENO) != 0), Started(std::chrono::steady_clock::now()) {
    Interrupted = false;
    std::signal(SIGINT, OnSigint);
}

TTerminalHost::~TTerminalHost() {
    EndStatusLine();
    std::signal(SIGINT, SIG_DFL);
}

void TTerminalHost::DoWork(std::chrono::steady_clock::time_point now) {
    if (Interrupted.exchange(false) && OnInterrupt) OnInterrupt();
    std::vector<std::function<void()>> due;
    for (auto& [id, t] : Timers)
        if (t.Enabled && now >= t.Due) {
            t.Due = now + std::chrono::milliseconds(t.Interval);
            due.push_back(t.OnTick);
        }
    for (auto& tick : due) tick();
    if (OnIdle) OnIdle();
}

THost::TTimerId TTerminalHost::CreateTimer(int intervalMs, std::function<void()> onTick) {
    Timers[NextId] = TTimer{intervalMs, false, {}, std::move(onTick)};
    return NextId++;
}

void TTerminalHost::SetTimerEnabled(TTimerId id, bool enabled) {
    auto it = Timers.find(id);
    if (it == Timers.end()) return;
    if (enabled && !it->second.Enabled)
        it->second.Due =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(it->second.Interval);
    it->second.Enabled = enabled;
}

bool TTerminalHost::TimerEnabled(TTimerId id) const {
    auto it = Timers.find(id);
    return it != Timers.end() && it->second.Enabled;
}

void TTerminalHost::DestroyTimer(TTimerId id) {
    Timers.erase(id);
}

void TTerminalHost::EndStatusLine() {
    if (StatusOpen) std::fputc('\n', stderr);
    StatusOpen = false;
}

bool TTerminalHost::WarningBox(const std::string& text) {
    EndStatusLine();
    std::fprintf(stderr, "warning: %s\n", PlainLines(text).c_str());
    return AssumeYes;
}

bool TTerminalHost::ConfirmBox(const std::string& text) {
    EndStatusLine();
    std::fprintf(stderr, "%s\n", PlainLines(text).c_str());
    return AssumeYes;
}

void TTerminalHost::InfoBox(const std::string& text) {
    EndStatusLine();
    std::fprintf(stderr, "%s\n", PlainLines(text).c_str());
}

void TTerminalHost::ErrorBox(const std::string& text) {
    EndStatusLine();
    std::fprintf(stderr, "error: %s\n", PlainLines(text).c_str());
}

bool TTerminalHost::InputBox(const std::string&, const std::string&, std::string&) {
    return false;
}

bool TTerminalHost::SaveDialog(const std::string&, const std::string&, bool, std::string&, int&) {
    return false; // the command line names its files itself
}

void TTerminalHost::SetClipboardText(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

bool TTerminalHost::SetProcessPriority(int32_t priorityClass) {
    const int nice = priorityClass == 64 ? 19 : priorityClass == 16384 ? 10 : 0;
    return setpriority(PRIO_PROCESS, 0, nice) == 0;
}

void TTerminalHost::ShowReport(const TReportTexts& texts) {
    if (Quiet) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
    std::string line = texts.Coverage + " | " + texts.Improved;
    std::string flat;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r') continue;
        flat += line[i] == '\n' ? std::string(" | ") : std::string(1, line[i]);
    }
    if (Terminal) {
        std::fprintf(stderr, "\r%7.1fs %s\x1b[K", seconds, flat.c_str());
        StatusOpen = true;
    } else {
        std::fprintf(stderr, "%7.1fs %s\n", seconds, flat.c_str());
    }
    std::fflush(stderr);
}

} // namespace corvina::cli
