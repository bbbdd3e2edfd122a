#include "CoverDataU.h"

#include "core/nCkU.h"

namespace corvina {

bool ValidParameters(int v, int k, int t, int m, int LBase, double LRate, int b) {
    return LBase >= 1 && LRate >= 0 && LRate <= 1 && k < v && t >= 1 && t <= k && t <= m &&
           !(m == k && t == k) && b > 0 && v <= MaxPointsForBlockSize(k);
}

void TCoverDataClass::Init(int v_, int k_, int t_, int m_, int LBase_, double LRate_) {
    if (LBase_ < 1) LBase_ = 1;
    if (!(LRate_ > 0 && LRate_ <= 1)) LRate_ = 1.0;
    Valid = ValidParameters(v_, k_, t_, m_, LBase_, LRate_, 1) && m_ <= MaxPoints && LBase_ <= 127;
    if (!Valid) return;
    v = static_cast<int8_t>(v_);
    k = static_cast<int8_t>(k_);
    t = static_cast<int8_t>(t_);
    m = static_cast<int8_t>(m_);
    LBase = static_cast<int8_t>(LBase_);
    LRate = LRate_;
}

} // namespace corvina
