#include "common/byte_file.hpp"

#include <cerrno>
#include <fstream>

#include "common/fault.hpp"

namespace pelicard {

bool OpenByteFile(ByteFile& f, const std::string& nativePath) {
    CloseByteFile(f);
    std::FILE* h = std::fopen(nativePath.c_str(), "rb");
    if (!h) return false;
    // Reads are small and scattered: no stdio buffer to refill at each seek.
    std::setvbuf(h, nullptr, _IONBF, 0);
    if (std::fseek(h, 0, SEEK_END) != 0) {
        std::fclose(h);
        return false;
    }
    long end = std::ftell(h);
    if (end < 0) {
        std::fclose(h);
        return false;
    }
    f.handle = h;
    f.path = nativePath;
    f.size = end;
    return true;
}

void CloseByteFile(ByteFile& f) {
    if (f.handle) std::fclose(f.handle);
    f.handle = nullptr;
    f.path.clear();
    f.size = 0;
}

bool IsOpen(const ByteFile& f) { return f.handle != nullptr; }

std::string ReadBytes(const ByteFile& f, std::int64_t offset, std::size_t n) {
    if (!f.handle) throw Fault(faults::kBadFileName);
    if (offset < 0 || offset > f.size || static_cast<std::int64_t>(n) > f.size - offset)
        throw Fault(faults::kReadPastEnd);
    std::string out(n, '\0');
    if (n == 0) return out;
    if (std::fseek(f.handle, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fread(out.data(), 1, n, f.handle) != n)
        throw Fault(faults::kReadPastEnd);
    return out;
}

std::string ReadBytesUpTo(const ByteFile& f, std::int64_t offset, std::size_t n) {
    if (offset < 0 || offset >= f.size) return {};
    std::int64_t left = f.size - offset;
    if (static_cast<std::int64_t>(n) > left) n = static_cast<std::size_t>(left);
    return ReadBytes(f, offset, n);
}

std::uint8_t ReadU8(const ByteFile& f, std::int64_t offset) {
    return static_cast<std::uint8_t>(ReadBytes(f, offset, 1)[0]);
}

std::uint32_t ReadU32(const ByteFile& f, std::int64_t offset) {
    return LoadU32(ReadBytes(f, offset, 4).data());
}

std::uint32_t LoadU32(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint32_t LoadU24(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16;
}

std::string ReadWholeFile(const std::string& nativePath) {
    std::ifstream in(nativePath, std::ios::binary);
    if (!in) throw Fault(faults::kFileNotFound);
    in.seekg(0, std::ios::end);
    std::streamoff n = in.tellg();
    if (n < 0) throw Fault(faults::kPathAccess);
    in.seekg(0);
    std::string data(static_cast<std::size_t>(n), '\0');
    if (n > 0 && !in.read(data.data(), n)) throw Fault(faults::kReadPastEnd);
    return data;
}

}  // namespace pelicard
