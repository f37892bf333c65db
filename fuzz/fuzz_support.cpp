#include "fuzz_support.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace pelicard::fuzz {

TempFile::TempFile(const std::uint8_t* data, std::size_t size, const char* suffix) {
    static int counter = 0;
    path = (std::filesystem::temp_directory_path() /
            ("pelicard-fuzz-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + suffix))
               .string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

TempFile::~TempFile() { std::remove(path.c_str()); }

std::string AsText(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace pelicard::fuzz
