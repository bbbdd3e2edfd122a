#pragma once
// GNU-style command-line flags: --name value, --name=value, and bare switches.
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvina::cli {

// Bad input: the message is shown and the program exits with status 2.
class EUsage : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TArgs {
  public:
    // `valued` names flags that take a value, `switches` those that do not.
    TArgs(const std::vector<std::string>& args, const std::set<std::string>& valued,
          const std::set<std::string>& switches);

    bool Has(const std::string& name) const { return Values.count(name) > 0; }
    bool Switch(const std::string& name) const { return Switches.count(name) > 0; }
    std::string Text(const std::string& name, const std::string& fallback = "") const;
    // An integer within [lo, hi]; the fallback when the flag is absent.
    int64_t Int(const std::string& name, int64_t fallback, int64_t lo, int64_t hi) const;
    double Real(const std::string& name, double fallback, double lo, double hi) const;
    // One of the listed words (compared without regard to case), as its index.
    int Choice(const std::string& name, int fallback, const std::vector<std::string>& words) const;

    std::vector<std::string> Positional;

  private:
    std::map<std::string, std::string> Values;
    std::set<std::string> Switches;
};

} // namespace corvina::cli
