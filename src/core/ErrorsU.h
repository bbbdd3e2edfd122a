#pragma once
// The program's base exception: every failure carries the user-facing message text.
#include <stdexcept>
#include <string>

namespace corvina {

class ECorvinaError : public std::runtime_error {
  public:
    explicit ECorvinaError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace corvina
