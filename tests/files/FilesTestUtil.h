#pragma once
// Temporary folders and whole-file helpers for the file tests.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <unistd.h>

namespace corvina::testing {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with its content.
class TTempDir {
  public:
    TTempDir() {
        static std::atomic<int> counter{0};
        std::random_device rd;
        Path = fs::temp_directory_path() / ("corvina_files_" + std::to_string(::getpid()) + "_" +
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

    fs::path Path;
};

inline std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& name, const std::string& content) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string DataFile(const std::string& name) {
    return std::string(CORVINA_TEST_DATA) + "/files/" + name;
}

} // namespace corvina::testing
