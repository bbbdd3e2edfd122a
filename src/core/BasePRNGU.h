#pragma once
// Abstract random generator: AsFloat in [0, 1) and AsInteger(upper) in 0..upper-1.
#include <cstdint>
#include <string>

#include "ErrorsU.h"

namespace corvina {

class EtdRandGenException : public ECorvinaError {
  public:
    using ECorvinaError::ECorvinaError;
};

class TtdBasePRNG {
  public:
    virtual ~TtdBasePRNG() = default;
    virtual double AsFloat() = 0;
    int32_t AsInteger(int32_t upper);

    std::string Name;

  protected:
    virtual const char* ClassName() const = 0;
};

} // namespace corvina
