#pragma once
// Temporary folders and whole-file helpers for the file tests.
#include <filesystem>
#include <string>

#include "TempDirU.h"

namespace corvina::testing {

namespace fs = std::filesystem;

using testutil::ReadAll;
using testutil::TTempDir;
using testutil::WriteAll;

inline std::string DataFile(const std::string& name) {
    return std::string(CORVINA_TEST_DATA) + "/files/" + name;
}

} // namespace corvina::testing
