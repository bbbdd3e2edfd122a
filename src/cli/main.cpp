// corvina-cli: the headless face of Corvina.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/CoveringBlockU.h"
#include "core/nCkU.h"

using namespace corvina;

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "blocks") {
        const int v = std::atoi(argv[2]), k = std::atoi(argv[3]);
        const int32_t count = Binomial(v, k);
        if (k < 1 || k > 12 || v < k || v > 99 || count <= 0) {
            std::fprintf(stderr, "v must be k..%d for k = 1..12\n", MaxPointsForBlockSize(k));
            return 2;
        }
        std::printf("%d blocks of %d from %d points: first %s, last %s\n", count, k, v,
                    RankToText(0, v, k, " ").c_str(), RankToText(count - 1, v, k, " ").c_str());
        return 0;
    }
    std::printf("Corvina 1.8.3 - lottery systems and covering designs\n"
                "usage: corvina-cli blocks V K   count and name the blocks of K from V points\n");
    return argc == 1 ? 0 : 2;
}
