#pragma once
// Coverage rates of the best covering: for each match size m and level t, how many
// m-subsets meet at least L blocks in at least t points. The enumeration runs on a
// worker thread that reads the best covering only through a consistent snapshot.
//
// Ownership and hand-over: the owner (the coverage frame) holds the object for as
// long as it may look at it; the object never frees itself. The callbacks run on the
// worker thread and carry their data by value, so the owner can queue them to its
// own thread without the worker waiting; a callback must never wait for the owner's
// thread (Stop waits for a running callback). After Stop() returns no callback is
// running and none will run; the destructor stops and joins the worker. The owner
// may therefore destroy the object at any time from its own thread (never from
// inside a callback).
#include <atomic>
#include <bit>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/TypesU.h"

// Loops over point masks are built twice, with and without the popcount
// instruction, and the loader picks the one the processor runs (the library itself
// targets plain x86-64).
// Not under the thread sanitizer: the loader runs the selector before the sanitizer
// is ready.
#if defined(__x86_64__) && defined(__has_attribute) && !defined(__SANITIZE_THREAD__)
#if __has_attribute(target_clones)
#define CORVINA_POPCNT_CLONES __attribute__((target_clones("popcnt", "default")))
#endif
#endif
#ifndef CORVINA_POPCNT_CLONES
#define CORVINA_POPCNT_CLONES
#endif

namespace corvina {

class TCoverClass;

// The points of a set as bits: point p is bit p - 1 of a 128-bit value.
struct TPointMask {
    uint64_t Lo = 0;
    uint64_t Hi = 0;
};

inline TPointMask PointMask(std::span<const int8_t> points) {
    TPointMask mask;
    for (int8_t p : points) {
        if (p >= 1 && p <= 64)
            mask.Lo |= uint64_t{1} << (p - 1);
        else if (p > 64) // a signed byte is at most 127
            mask.Hi |= uint64_t{1} << (p - 65);
    }
    return mask;
}

// The number of common points of two sets of distinct points.
inline int CommonPointCount(const TPointMask& a, const TPointMask& b) {
    return std::popcount(a.Lo & b.Lo) + std::popcount(a.Hi & b.Hi);
}

// Counts into results[t], t = 0..m, the m-subsets of 1..v that meet at least L of
// the blocks in at least t points, adding to what results already holds. `tested`
// receives the number of m-subsets taken so far. Returns false when a stop was
// requested (checked before every block comparison); results are then partial.
// `useMasks` selects bit masks with popcount instead of the merge walk: same results.
bool CoverRatesPass(int v, int m, int L, const std::vector<TShortIntArray>& blocks,
                    std::span<int32_t, 13> results, std::atomic<int32_t>& tested,
                    std::stop_token stop, bool useMasks = true);

// One finished cell of the coverage table.
struct TCoverRateCell {
    int t = 0;
    int m = 0;
    int32_t Tested = 0;  // C(v, m)
    int32_t Covered = 0; // Results[t][m]
};

class TCoverRatesThread {
  public:
    using TSnapshotProvider = std::function<std::vector<int32_t>()>;
    using TOnCell = std::function<void(const TCoverRateCell&)>;
    using TOnFinished = std::function<void()>;

    // `bestRanks` is called on the worker thread at the start of every pass and must
    // return a consistent copy of the best covering's ranks.
    TCoverRatesThread(int v, int k, TSnapshotProvider bestRanks);
    // Reads the best covering of the store through BestSnapshot; the store must
    // outlive the object.
    explicit TCoverRatesThread(const TCoverClass& cover);
    ~TCoverRatesThread();
    TCoverRatesThread(const TCoverRatesThread&) = delete;
    TCoverRatesThread& operator=(const TCoverRatesThread&) = delete;

    // Settings; ignored while the worker runs.
    void Prepare(int L);
    void SetRange(int mFrom, int mTo, int tMin);
    void SetOnCell(TOnCell onCell);
    void SetOnFinished(TOnFinished onFinished);

    // Starts the worker; ignored while it runs.
    void Start();
    // Asks the worker to end; the finish callback still runs.
    void Terminate();
    // Clears both callbacks and asks the worker to end. No callback runs afterwards.
    void Stop();
    // Waits until the worker has ended.
    void Wait();
    bool Running() const { return !Finished.load(); }

    // "Finished", the progress of the current m, or empty.
    std::string StatusText() const;

    // Read once the worker has ended (after Wait, or after the finish callback has
    // been handed to the owner's thread).
    int32_t Results[13][13] = {};

    int MFrom = 1, MTo = 1, TMin = 1;
    int L = 1;
    // Merge walk instead of bit masks; for measurements.
    bool UseMasks = true;

    // Status, read from any thread.
    std::atomic<int> CurrentT{0};
    std::atomic<int> CurrentM{0};
    std::atomic<int32_t> Tested{0};
    std::atomic<int32_t> Total{0};
    std::atomic<bool> Finished{true};

  private:
    void Execute(std::stop_token stop);
    bool Pass(int m, const std::stop_token& stop);
    void FireCell(const TCoverRateCell& cell);
    void FireFinished();

    const int v;
    const int k;
    TSnapshotProvider BestRanks;
    std::recursive_mutex CallbackLock;
    TOnCell OnCell;
    TOnFinished OnFinished;
    std::jthread Worker; // last: stopped and joined before the other members go
};

// The window caption: "Coverage of " with v and k.
std::string CoverageCaption(int v, int k);

// The grid's header row.
std::vector<std::string> CoverRateHeader();
// The cells of one grid row; empty (no row) when the cell was not computed.
std::vector<std::string> CoverRateRowTexts(const TCoverRateCell& cell);
// The grid as aligned clipboard text; rows[0] is the header row. Lines end CR LF.
std::string CoverRatesClipboardText(const std::vector<std::vector<std::string>>& rows);

} // namespace corvina
