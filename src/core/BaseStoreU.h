#pragma once
// 1-based, bounds-safe list containers. Reads out of range return false or null;
// a failed allocation turns into a false result (or the store's exception).
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "ErrorsU.h"
#include "StringU.h"

namespace corvina {

class ERSString : public ECorvinaError {
  public:
    ERSString() : ECorvinaError("RS - Cannot add string.") {}
};
class ERSAddRecord : public ECorvinaError {
  public:
    ERSAddRecord() : ECorvinaError("RS - Cannot add record.") {}
};
class ERSInsertRecord : public ECorvinaError {
  public:
    explicit ERSInsertRecord(int pos)
        : ECorvinaError(FormatText("RS - Cannot insert record at Pos=%d.", pos)) {}
};

template <class T> class TBaseStore {
  public:
    static constexpr int GrowthStep = 4096;

    TBaseStore() { Items.reserve(GrowthStep); }
    virtual ~TBaseStore() = default;
    TBaseStore(const TBaseStore&) = delete;
    TBaseStore& operator=(const TBaseStore&) = delete;

    int Count() const { return static_cast<int>(Items.size()); }
    bool IsEmpty() const { return Count() < 1; }
    // The capacity the growth rule keeps: grows and shrinks in whole growth steps.
    int Capacity() const { return Cap; }

    const T* Get(int pos) const { return InRange(pos) ? &Items[pos - 1] : nullptr; }
    T* Get(int pos) { return InRange(pos) ? &Items[pos - 1] : nullptr; }

    bool HasDuplicates(int& pos) const {
        for (int i = 0; i < Count(); ++i)
            for (int j = i + 1; j < Count(); ++j)
                if (Items[i] == Items[j]) {
                    pos = i + 1;
                    return true;
                }
        return false;
    }

    // Sorts with a three-way comparison (negative, zero, positive).
    template <class Compare> void Sort(Compare compare) {
        std::stable_sort(Items.begin(), Items.end(),
                         [&](const T& a, const T& b) { return compare(a, b) < 0; });
    }

  protected:
    bool InRange(int pos) const { return pos >= 1 && pos <= Count(); }

    bool Add(T item) {
        try {
            if (Count() >= Cap) Grow();
            Items.push_back(std::move(item));
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    bool Insert(int pos, T item) {
        if (pos < 1 || pos > Count() + 1) return false;
        try {
            if (Count() >= Cap) Grow();
            Items.insert(Items.begin() + (pos - 1), std::move(item));
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    // Removes the item at pos, handing it back through `removed` when given.
    bool Delete(int pos, T* removed = nullptr) {
        if (!InRange(pos)) return false;
        if (removed) *removed = std::move(Items[pos - 1]);
        Items.erase(Items.begin() + (pos - 1));
        if (Cap - Count() > GrowthStep) {
            Cap -= GrowthStep;
            Items.shrink_to_fit();
            Items.reserve(Cap);
        }
        return true;
    }

    void ClearItems() {
        while (Count() > 0) Delete(Count());
    }

    std::vector<T> Items;

  private:
    void Grow() {
        Items.reserve(static_cast<size_t>(Cap) + GrowthStep);
        Cap += GrowthStep;
    }
    int Cap = GrowthStep;
};

class TStringStore : public TBaseStore<std::string> {
  public:
    ~TStringStore() override { Clear(); }
    void AddString(const std::string& text) {
        if (!Add(text)) throw ERSString();
    }
    bool GetString(int pos, std::string& text) const {
        const std::string* s = Get(pos);
        text = s ? *s : std::string();
        return s != nullptr;
    }
    bool DeleteString(int pos) { return Delete(pos); }
    void Clear() { ClearItems(); }
};

class TIntegerStore : public TBaseStore<int32_t> {
  public:
    enum : uint8_t { smNone = 0, smAscending = 1, smDescending = 2 };

    void AddInteger(int32_t value) {
        Add(value);
        if (SortMode != smNone) SortNow();
    }
    bool GetInteger(int pos, int32_t& value) const {
        const int32_t* p = Get(pos);
        if (!p) return false;
        value = *p;
        return true;
    }
    bool DeleteInteger(int pos) { return Delete(pos); }
    void Clear() { ClearItems(); }
    void SetSortMode(uint8_t mode) {
        SortMode = mode;
        SortNow();
    }
    uint8_t GetSortMode() const { return SortMode; }
    // Contiguous read-only view for hot loops and snapshots.
    const std::vector<int32_t>& Values() const { return Items; }

  private:
    void SortNow() {
        if (SortMode == smAscending)
            std::sort(Items.begin(), Items.end());
        else if (SortMode == smDescending)
            std::sort(Items.begin(), Items.end(), std::greater<>());
    }
    uint8_t SortMode = smNone;
};

// Owns its records; an optional callback sees each record before it is released.
template <class R> class TRecordStore : public TBaseStore<std::unique_ptr<R>> {
    using Base = TBaseStore<std::unique_ptr<R>>;

  public:
    using TOnDelete = std::function<void(R&)>;
    TRecordStore() = default;
    explicit TRecordStore(TOnDelete onDelete) : OnDelete(std::move(onDelete)) {}
    ~TRecordStore() override { Clear(); }

    bool AddRecord(std::unique_ptr<R> item) {
        if (!item) return false;
        if (!Base::Add(std::move(item))) throw ERSAddRecord();
        return true;
    }
    bool InsertRecord(int pos, std::unique_ptr<R> item) {
        if (pos > Base::Count()) return AddRecord(std::move(item));
        if (!item || pos < 1) return false;
        if (!Base::Insert(pos, std::move(item))) throw ERSInsertRecord(pos);
        return true;
    }
    R* GetRecord(int pos) const {
        const std::unique_ptr<R>* p = Base::Get(pos);
        return p ? p->get() : nullptr;
    }
    bool DeleteRecord(int pos) {
        std::unique_ptr<R> removed;
        if (!Base::Delete(pos, &removed)) return false;
        if (OnDelete && removed) OnDelete(*removed);
        return true;
    }
    void Clear() {
        while (Base::Count() > 0) DeleteRecord(Base::Count());
    }

  private:
    TOnDelete OnDelete;
};

} // namespace corvina
