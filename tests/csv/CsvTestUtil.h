#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace csvtest
