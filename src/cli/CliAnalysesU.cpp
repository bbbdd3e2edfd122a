// corvina-cli rates and hits: the analyses of a covering file.
#include "CliArgsU.h"
#include "CliCommandsU.h"

namespace corvina::cli {

int RatesCommand(const std::vector<std::string>&) {
    throw EUsage("rates: not available yet");
}
int HitsCommand(const std::vector<std::string>&) {
    throw EUsage("hits: not available yet");
}

} // namespace corvina::cli
