#include "CoverRateU.h"

#include <algorithm>
#include <array>

#include "core/CoverU.h"
#include "core/StringU.h"
#include "core/nCkU.h"

namespace corvina {

namespace {

bool PassMergeWalk(int v, int m, int L, const std::vector<TShortIntArray>& blocks,
                   std::span<int32_t, 13> results, std::atomic<int32_t>& tested,
                   const std::stop_token& stop) {
    int8_t subset[MaxBlockSize] = {};
    const std::span<int8_t> s(subset, static_cast<size_t>(m));
    int32_t hits[13];
    int32_t count = 0;
    while (NextCombination(s, v)) {
        tested.store(++count, std::memory_order_relaxed);
        std::fill(hits, hits + m + 1, 0);
        for (const TShortIntArray& block : blocks) {
            if (stop.stop_requested()) return false;
            const int c = CommonPointCount(s, block);
            bool allLevels = false;
            for (int j = 0; j <= c; ++j)
                if (++hits[j] == L) {
                    ++results[j];
                    allLevels = allLevels || j == m;
                }
            // Met by L blocks at the top level, hence at every level.
            if (allLevels) break;
        }
    }
    return true;
}

// Counts blocks per common-point count and derives the levels at the end: the level
// j is reached by L blocks exactly when the blocks with at least j common points
// number L or more, which is what the step-by-step count of the merge walk finds.
// The block masks come as separate low and high words; `Wide` is false when v <= 64
// and every high word is 0.
template <bool Wide>
[[gnu::always_inline]] inline bool
PassMaskBody(int v, int m, int L, const uint64_t* lo, const uint64_t* hi, size_t blockCount,
             int32_t* results, std::atomic<int32_t>& tested, const std::atomic<bool>& stopped) {
    auto common = [&](const TPointMask& s, size_t b) {
        if constexpr (Wide)
            return std::popcount(s.Lo & lo[b]) + std::popcount(s.Hi & hi[b]);
        else
            return std::popcount(s.Lo & lo[b]);
    };
    int8_t subset[MaxBlockSize] = {};
    const std::span<int8_t> s(subset, static_cast<size_t>(m));
    int32_t count = 0;
    while (NextCombination(s, v)) {
        tested.store(++count, std::memory_order_relaxed);
        const TPointMask subsetMask = PointMask(s);
        // Two count arrays, even and odd blocks, so that consecutive increments of
        // the same count do not wait for each other.
        int32_t even[13] = {}, odd[13] = {};
        size_t b = 0;
        for (; b + 1 < blockCount; b += 2) {
            if (stopped.load(std::memory_order_relaxed)) return false;
            const int c0 = common(subsetMask, b);
            ++even[c0];
            if (c0 == m && even[m] + odd[m] == L) break;
            if (stopped.load(std::memory_order_relaxed)) return false;
            const int c1 = common(subsetMask, b + 1);
            ++odd[c1];
            if (c1 == m && even[m] + odd[m] == L) break;
        }
        if (b + 1 == blockCount) {
            if (stopped.load(std::memory_order_relaxed)) return false;
            ++even[common(subsetMask, b)];
        }
        int32_t atLeast = 0;
        for (int j = m; j >= 0; --j) {
            atLeast += even[j] + odd[j];
            if (atLeast >= L) ++results[j];
        }
    }
    return true;
}

CORVINA_POPCNT_CLONES
bool PassMasksNarrow(int v, int m, int L, const uint64_t* lo, size_t blockCount, int32_t* results,
                     std::atomic<int32_t>& tested, const std::atomic<bool>& stopped) {
    return PassMaskBody<false>(v, m, L, lo, nullptr, blockCount, results, tested, stopped);
}

CORVINA_POPCNT_CLONES
bool PassMasksWide(int v, int m, int L, const uint64_t* lo, const uint64_t* hi, size_t blockCount,
                   int32_t* results, std::atomic<int32_t>& tested,
                   const std::atomic<bool>& stopped) {
    return PassMaskBody<true>(v, m, L, lo, hi, blockCount, results, tested, stopped);
}

} // namespace

bool CoverRatesPass(int v, int m, int L, const std::vector<TShortIntArray>& blocks,
                    std::span<int32_t, 13> results, std::atomic<int32_t>& tested,
                    std::stop_token stop, bool useMasks) {
    tested.store(0, std::memory_order_relaxed);
    if (m < 1 || m > MaxBlockSize || v < m || v > MaxPoints || L < 1) return true;
    if (!useMasks) return PassMergeWalk(v, m, L, blocks, results, tested, stop);
    std::vector<uint64_t> lo, hi;
    lo.reserve(blocks.size());
    hi.reserve(blocks.size());
    for (const TShortIntArray& block : blocks) {
        const TPointMask mask = PointMask(block);
        lo.push_back(mask.Lo);
        hi.push_back(mask.Hi);
    }
    // The hot loop reads a plain flag; the token sets it when a stop is requested.
    std::atomic<bool> stopped{stop.stop_requested()};
    const std::stop_callback onStop(stop, [&stopped] { stopped.store(true); });
    if (v <= 64)
        return PassMasksNarrow(v, m, L, lo.data(), lo.size(), results.data(), tested, stopped);
    return PassMasksWide(v, m, L, lo.data(), hi.data(), lo.size(), results.data(), tested, stopped);
}

TCoverRatesThread::TCoverRatesThread(int v_, int k_, TSnapshotProvider bestRanks)
    : v(v_), k(k_), BestRanks(std::move(bestRanks)) {}

TCoverRatesThread::TCoverRatesThread(const TCoverClass& cover)
    : TCoverRatesThread(cover.Params.CurrentPointCount, cover.Params.CurrentBlockSize,
                        [&cover] { return cover.BestSnapshot(); }) {}

TCoverRatesThread::~TCoverRatesThread() {
    Stop();
    Wait();
}

void TCoverRatesThread::Prepare(int L_) {
    if (Running()) return;
    // At least one block must meet a subset for it to count.
    L = std::max(L_, 1);
    for (auto& row : Results) std::fill(std::begin(row), std::end(row), 0);
}

void TCoverRatesThread::SetRange(int mFrom, int mTo, int tMin) {
    if (Running()) return;
    MFrom = std::clamp(mFrom, 1, MaxBlockSize);
    MTo = std::min(std::max(mTo, MFrom), MaxBlockSize);
    // Level 0 is the lowest the results hold.
    TMin = std::max(std::min(MTo, tMin), 0);
}

void TCoverRatesThread::SetOnCell(TOnCell onCell) {
    std::lock_guard lock(CallbackLock);
    OnCell = std::move(onCell);
}

void TCoverRatesThread::SetOnFinished(TOnFinished onFinished) {
    std::lock_guard lock(CallbackLock);
    OnFinished = std::move(onFinished);
}

void TCoverRatesThread::Start() {
    if (Running()) return;
    Wait(); // a previous run may still be returning from its finish callback
    CurrentM = std::max(MFrom, TMin);
    CurrentT = TMin;
    Tested = 0;
    Total = 0;
    Finished = false;
    Worker = std::jthread([this](std::stop_token stop) { Execute(stop); });
}

void TCoverRatesThread::Terminate() {
    Worker.request_stop();
}

void TCoverRatesThread::Stop() {
    {
        std::lock_guard lock(CallbackLock);
        OnCell = nullptr;
        OnFinished = nullptr;
    }
    Worker.request_stop();
}

void TCoverRatesThread::Wait() {
    if (Worker.joinable()) Worker.join();
}

std::string TCoverRatesThread::StatusText() const {
    if (Finished) return "Finished";
    const int m = CurrentM;
    if (Binomial(v, m) <= 0) return std::string();
    const int32_t total = Total;
    const double percent = total > 0 ? static_cast<double>(Tested) / total * 100 : 0.0;
    return "Computing x if " + std::to_string(m) + " (L=" + std::to_string(L) +
           ") : " + FormatText("%2.2f", percent) + "%";
}

void TCoverRatesThread::Execute(std::stop_token stop) {
    try {
        for (auto& row : Results) std::fill(std::begin(row), std::end(row), 0);
        for (int m = std::max(MFrom, TMin); m <= MTo && !stop.stop_requested(); ++m) {
            CurrentM = m;
            const int32_t total = Binomial(v, m);
            if (total <= 0) {
                // Too large for the tables: this m and all larger ones stay out.
                for (auto& row : Results) row[m] = -1;
                break;
            }
            if (!Pass(m, stop) || stop.stop_requested()) break;
            for (int t = TMin; t <= std::min(k, m); ++t) {
                if (t == m && m == k) continue;
                CurrentT = t;
                FireCell({t, m, total, Results[t][m]});
            }
        }
    } catch (const std::exception&) {
        // A failed snapshot or allocation ends the run like a stop.
    }
    Finished = true;
    FireFinished();
}

bool TCoverRatesThread::Pass(int m, const std::stop_token& stop) {
    Tested = 0;
    Total = Binomial(v, m);
    const std::vector<int32_t> ranks = BestRanks ? BestRanks() : std::vector<int32_t>();
    std::vector<TShortIntArray> blocks;
    blocks.reserve(ranks.size());
    if (k >= 1 && k <= MaxBlockSize) {
        TShortIntArray points(static_cast<size_t>(k));
        for (int32_t rank : ranks)
            if (BlockFromRank(rank, v, points)) blocks.push_back(points);
    }
    std::array<int32_t, 13> column{};
    const bool complete = CoverRatesPass(v, m, L, blocks, column, Tested, stop, UseMasks);
    for (int t = 0; t <= m; ++t) Results[t][m] = column[t];
    return complete;
}

void TCoverRatesThread::FireCell(const TCoverRateCell& cell) {
    std::lock_guard lock(CallbackLock);
    const TOnCell onCell = OnCell; // the callback may clear the member
    if (!onCell) return;
    try {
        onCell(cell);
    } catch (...) {
        // A failing row writer does not end the computation.
    }
}

void TCoverRatesThread::FireFinished() {
    std::lock_guard lock(CallbackLock);
    const TOnFinished onFinished = OnFinished;
    if (!onFinished) return;
    try {
        onFinished();
    } catch (...) {
    }
}

std::string CoverageCaption(int v, int k) {
    return "Coverage of " + FormatText("%2d,%2d, t if m", v, k);
}

std::vector<std::string> CoverRateHeader() {
    return {"t", "m", "Tested", "Covered", "Covered%", "Uncovered", "Uncovered%"};
}

std::vector<std::string> CoverRateRowTexts(const TCoverRateCell& cell) {
    if (cell.Covered < 0 || cell.Tested <= 0) return {};
    const int32_t uncovered = cell.Tested - cell.Covered;
    const double tested = cell.Tested;
    return {std::to_string(cell.t),
            std::to_string(cell.m),
            std::to_string(cell.Tested),
            std::to_string(cell.Covered),
            FormatText("%9.5f", cell.Covered / tested * 100) + "%",
            std::to_string(uncovered),
            FormatText("%9.5f", uncovered / tested * 100) + "%"};
}

std::string CoverRatesClipboardText(const std::vector<std::vector<std::string>>& rows) {
    constexpr int Columns = 7;
    auto cell = [](int col, const std::string& text) {
        return col < 2 ? FormatText("%3s", text.c_str()) : FormatText("%12s", text.c_str());
    };
    std::string rule;
    for (int col = 0; col < Columns; ++col) rule += cell(col, col < 2 ? "---" : "----------");
    rule += "\r\n";
    std::string text = rule;
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t col = 0; col < rows[r].size(); ++col)
            text += cell(static_cast<int>(col), rows[r][col]);
        text += "\r\n";
        if (r == 0) text += rule;
    }
    return text;
}

} // namespace corvina
