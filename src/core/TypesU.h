#pragma once
// The program's array types: points and number lists are signed bytes.
#include <cstdint>
#include <vector>

namespace corvina {

using TShortIntArray = std::vector<int8_t>;
using TBooleanArray = std::vector<bool>;
using TIntArray = std::vector<int32_t>;
using TArrayOfShortIntArray = std::vector<TShortIntArray>;

constexpr int32_t MaxInt32 = 2147483647;

// Counters stop at the largest 32-bit value instead of overflowing.
inline int32_t SaturatingAdd(int32_t counter, int32_t amount) {
    const int64_t sum = static_cast<int64_t>(counter) + amount;
    return sum > MaxInt32 ? MaxInt32 : static_cast<int32_t>(sum);
}

} // namespace corvina
