#pragma once

#include <fstream>
#include <iterator>
#include <string>

// A whole file as bytes in a string ("" when it cannot be read).
inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file made or replaced with exactly the bytes.
inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}
