#include "CliArgsU.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "core/StringU.h"

namespace corvina::cli {

TArgs::TArgs(const std::vector<std::string>& args, const std::set<std::string>& valued,
             const std::set<std::string>& switches) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
            if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9'))
                throw EUsage("unknown option '" + a + "'");
            Positional.push_back(a);
            continue;
        }
        std::string name = a.substr(2), value;
        const size_t eq = name.find('=');
        const bool inlineValue = eq != std::string::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (switches.count(name)) {
            if (inlineValue) throw EUsage("option '--" + name + "' takes no value");
            Switches.insert(name);
        } else if (valued.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) throw EUsage("option '--" + name + "' needs a value");
                value = args[++i];
            }
            if (Values.count(name)) throw EUsage("option '--" + name + "' given twice");
            Values[name] = value;
        } else {
            throw EUsage("unknown option '--" + name + "'");
        }
    }
}

std::string TArgs::Text(const std::string& name, const std::string& fallback) const {
    auto it = Values.find(name);
    return it == Values.end() ? fallback : it->second;
}

int64_t TArgs::Int(const std::string& name, int64_t fallback, int64_t lo, int64_t hi) const {
    auto it = Values.find(name);
    if (it == Values.end()) return fallback;
    const std::string& text = it->second;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE)
        throw EUsage("--" + name + ": '" + text + "' is not a whole number");
    if (value < lo || value > hi)
        throw EUsage(FormatText("--%s: %lld is outside %lld..%lld", name.c_str(), value,
                                static_cast<long long>(lo), static_cast<long long>(hi)));
    return value;
}

double TArgs::Real(const std::string& name, double fallback, double lo, double hi) const {
    auto it = Values.find(name);
    if (it == Values.end()) return fallback;
    const std::string& text = it->second;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        throw EUsage("--" + name + ": '" + text + "' is not a number");
    if (value < lo || value > hi)
        throw EUsage("--" + name + ": " + text + " is outside " + FormatFloatG(lo) + ".." +
                     FormatFloatG(hi));
    return value;
}

int TArgs::Choice(const std::string& name, int fallback,
                  const std::vector<std::string>& words) const {
    auto it = Values.find(name);
    if (it == Values.end()) return fallback;
    for (size_t i = 0; i < words.size(); ++i)
        if (SameTextAscii(words[i], it->second)) return static_cast<int>(i);
    std::string list;
    for (const auto& w : words) list += (list.empty() ? "" : ", ") + w;
    throw EUsage("--" + name + ": '" + it->second + "' is not one of " + list);
}

} // namespace corvina::cli
