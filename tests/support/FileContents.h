#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace telmaq::test {

// A file's bytes; none, as a missing file, for a folder.
inline std::string fileContents(const std::string& path)
{
    if (std::filesystem::is_directory(path))
        return {};
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

} // namespace telmaq::test
