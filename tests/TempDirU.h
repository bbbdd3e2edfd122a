#pragma once
// Temporary folders and whole-file helpers shared by the tests that touch files.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <unistd.h>

namespace corvina::testutil {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with its content.
class TTempDir {
  public:
    TTempDir() {
        static std::atomic<int> counter{0};
        std::random_device rd;
        Path = fs::temp_directory_path() / ("corvina_test_" + std::to_string(::getpid()) + "_" +
                                            std::to_string(counter++) + "_" + std::to_string(rd()));
        fs::create_directories(Path);
    }
    ~TTempDir() {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    std::string Str() const { return Path.string(); }
    std::string File(const std::string& name) const { return (Path / name).string(); }
    // A sub-folder, created on first use.
    fs::path Sub(const std::string& name) const {
        fs::create_directories(Path / name);
        return Path / name;
    }

    fs::path Path;
};

inline std::string ReadAll(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const fs::path& name, const std::string& content) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << content;
}

} // namespace corvina::testutil
