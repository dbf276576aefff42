#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <stdlib.h>

// In a namespace of its own: other test folders have a TempDir of another shape.
namespace csvtest {

// A fresh directory under /tmp, removed with its files at the end of the test.
class TempDir
{
public:
    TempDir() : m_path(mkdtemp(&std::string("/tmp/ardentine-csv-XXXXXX")[0])) {}
    ~TempDir() { std::filesystem::remove_all(m_path); }
    const std::string& Dir() const { return m_path; }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(Path(name), std::ios::binary) << content;
        return Path(name);
    }

private:
    std::string m_path;
};

// Values as their bits, so that gaps (NaN) compare equal.
inline std::vector<std::vector<uint64_t>> Bits(const std::vector<std::vector<double>>& columns)
{
    std::vector<std::vector<uint64_t>> bits;
    for (const auto& column : columns) {
        bits.emplace_back();
        for (double v : column) {
            uint64_t b;
            std::memcpy(&b, &v, sizeof b);
            bits.back().push_back(b);
        }
    }
    return bits;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace csvtest
