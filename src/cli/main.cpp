// corvina-cli: the headless face of Corvina.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "CliArgsU.h"
#include "CliCommandsU.h"
#include "TerminalHostU.h"
#include "core/ErrorsU.h"

using namespace corvina;
using namespace corvina::cli;

namespace {
const char* const Usage = R"(Corvina 1.8.3 - lottery systems and covering designs

usage: corvina-cli COMMAND [OPTIONS]

commands:
  optimize   search for b blocks covering the m-subsets of v points
      --v V --k K --t T --m M --b B   the covering c(v,k,t,m) with b blocks
      --lbase L          base coverage: blocks needed per m-subset (1..99, default 1)
      --lrate PCT        required share of covered m-subsets in % (0.01..100, default 100)
      --search S         standard | extensive | standard+cyclic | extensive+cyclic
      --full-cyclic      in cyclic search, evaluate every cyclic candidate
      --criteria C       absolute | proportional (default proportional)
      --expand P         bias expansion, -999..1000 (default 0)
      --tension Q        bias tension, -1000..1000 (default 0)
      --bias-scale S     choose the expansion so that the bias settles near S times the
                         value of one m-subset (0.0005 with --criteria absolute suits the
                         designs measured in bench/README.md; instead of --expand)
      --memory MB        speedup table memory (0..9999, default 256)
      --build-speedup    build the whole speedup table at the start
      --no-special-speedup  no cache of the current blocks' lists
      --add-t T --add-m M [--add-lbase L] [--add-lrate PCT] [--add-priority P]
                         an additional coverage requirement
      --priority P       priority of the main requirement (0..100, default 50)
      --seed N           random seed (1..2147483646); the same seed repeats a run
      --time SECONDS     stop after this long (default: until the requirement is met)
      --start FILE       start from a covering file (.txt or .cvc) instead of random blocks
      --out FILE|FOLDER  where to save the best covering (a folder gets a proposed name);
                         without it the covering is written to standard output
      --format txt|cvc   file format (default: from the file name, else txt)
      --auto-reduce      remove blocks while the coverage stays at the L rate
      --descend          on every complete covering, save it and remove one block
      --quiet            no progress lines (the summary at the end remains)
    Progress goes to standard error about once a second; Ctrl-C pauses and saves.
    Exit status: 0 requirement met, 1 not met (the best covering is still saved),
    2 bad input (nothing written).
  info       --v --k --t --m [--lbase] [--lrate] [--b]
             one-block coverage, theoretical minimum and the inverse covering
  rates FILE [--l L] [--tmin T] [--mfrom A] [--mto B]
             the coverage table of a covering over t and m
  hits FILE --m M [--fold F] [--filtered]
             the hit profiles of a covering for every draw of m numbers
  convert IN OUT [--separator C]
             text <-> .cvc, by the extensions
)";
} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(Usage, stdout);
        return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    for (const auto& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
    try {
        if (command == "optimize") return OptimizeCommand(args);
        if (command == "info") return InfoCommand(args);
        if (command == "rates") return RatesCommand(args);
        if (command == "hits") return HitsCommand(args);
        if (command == "convert") return ConvertCommand(args);
        throw EUsage("unknown command '" + command + "' (see corvina-cli --help)");
    } catch (const EUsage& e) {
        std::fprintf(stderr, "corvina-cli: %s\n", e.what());
        return 2;
    } catch (const ECorvinaError& e) {
        std::fprintf(stderr, "corvina-cli: %s\n", PlainLines(e.what()).c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "corvina-cli: %s\n", e.what());
        return 2;
    }
}
