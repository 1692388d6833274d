// Small file helpers shared by the unit tests.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace test_support_detail {

inline std::string &temp_root()
{
    static std::string root;
    return root;
}

inline void remove_temp_root()
{
    std::error_code error;
    if (!temp_root().empty())
        std::filesystem::remove_all(temp_root(), error);
}

}  // namespace test_support_detail

// A directory private to this test process, created on first use and
// removed when the process exits.  Test processes may run in parallel.
inline std::string test_temp_dir()
{
    std::string &root = test_support_detail::temp_root();
    if (root.empty()) {
        std::random_device random;
        std::filesystem::path base = std::filesystem::temp_directory_path();
        for (;;) {
            char name[64];
            snprintf(name, sizeof name, "quorvel-test-%08x%08x",
                     (unsigned)random(), (unsigned)random());
            std::filesystem::path dir = base / name;
            std::error_code error;
            if (std::filesystem::create_directory(dir, error)) {
                root = dir.string();
                break;
            }
        }
        atexit(test_support_detail::remove_temp_root);
    }
    return root;
}

// The path of `name` inside test_temp_dir().
inline std::string temp_path(const std::string &name)
{
    return (std::filesystem::path(test_temp_dir()) / name).string();
}

// The whole file, or an empty vector when it cannot be read; *ok says which.
inline std::vector<unsigned char> read_file_bytes(const std::string &path, bool *ok = nullptr)
{
    std::vector<unsigned char> bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (ok)
        *ok = file != nullptr;
    if (!file)
        return bytes;
    unsigned char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(file);
    return bytes;
}

inline bool write_file_bytes(const std::string &path, const std::vector<unsigned char> &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

inline bool write_file_text(const std::string &path, const std::string &text)
{
    return write_file_bytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

inline bool file_exists(const std::string &path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Names of the files in `dir` whose names hold `text`, sorted.
inline std::vector<std::string> files_containing(const std::string &dir, const std::string &text)
{
    std::vector<std::string> found;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(dir, error)) {
        std::string name = entry.path().filename().string();
        if (name.find(text) != std::string::npos)
            found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    return found;
}
