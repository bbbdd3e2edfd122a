#include "BasePRNGU.h"

#include "StringU.h"

namespace corvina {

int32_t TtdBasePRNG::AsInteger(int32_t upper) {
    if (upper <= 0)
        throw EtdRandGenException(
            FormatText("%s.%s: the upper limit must be positive (generator '%s')", ClassName(),
                       "AsInteger", Name.c_str()));
    return static_cast<int32_t>(AsFloat() * upper);
}

} // namespace corvina
