#pragma once
// The commands of corvina-cli. Each returns the exit status: 0 success (for
// optimize: the requirement was met), 1 requirement not met, 2 bad input.
#include <string>
#include <vector>

namespace corvina::cli {

int OptimizeCommand(const std::vector<std::string>& args);
int InfoCommand(const std::vector<std::string>& args);
int RatesCommand(const std::vector<std::string>& args);
int HitsCommand(const std::vector<std::string>& args);
int ConvertCommand(const std::vector<std::string>& args);

// A covering read from a file, as the import reads it.
struct TLoadedCovering {
    int v = 0, k = 0;
    std::vector<int32_t> Ranks;
    std::vector<bool> Selected; // the numbers as they stood in the file, when renumbered
};
// Reads a text or .cvc covering. With v > 0 the points are kept as they are and must
// lie in 1..v; with v = 0 they are renumbered to 1..(number of points used).
// Raises EUsage with the reader's reason when the file is not a covering.
TLoadedCovering LoadCovering(const std::string& path, int v);

bool IsCompressedName(const std::string& path);

} // namespace corvina::cli
