#pragma once
// A coverage requirement c(v,k,t,m) with base coverage L and rate, and its validation.
#include <cstdint>
#include <span>

#include "core/TypesU.h"

namespace corvina {

bool ValidParameters(int v, int k, int t, int m, int LBase, double LRate, int b);

class TCoverDataClass {
  public:
    // Replaces LBase < 1 by 1 and an LRate outside (0, 1] by 1; stores the values
    // only when they are valid for one block.
    void Init(int v, int k, int t, int m, int LBase, double LRate);
    void SetLBase(int x) { LBase = static_cast<int8_t>(x <= 0 ? 1 : (x > 127 ? 127 : x)); }
    void SetLRate(double x) { LRate = (x > 0 && x <= 1) ? x : 1.0; }

    bool Valid = false;
    int8_t v = 0, k = 0, t = 0, m = 0;
    int8_t LBase = 1;
    double LRate = 1.0;
};

} // namespace corvina
