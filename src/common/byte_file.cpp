#include "common/byte_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/fault.hpp"
#include "common/system_fault.hpp"

namespace pelicard {

int OpenRegularFile(const std::string& nativePath, std::int64_t& size) {
    // O_NONBLOCK: a FIFO or a device under the name never holds the open.
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -ENXIO;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    size = st.st_size;
    return fd;
}

bool OpenByteFile(ByteFile& f, const std::string& nativePath) {
    CloseByteFile(f);
    std::int64_t size = 0;
    const int fd = OpenRegularFile(nativePath, size);
    if (fd < 0) {
        f.error = fd == -ENXIO ? kNotRegularFile : -fd;
        return false;
    }
    std::FILE* h = ::fdopen(fd, "rb");
    if (!h) {
        f.error = errno;
        ::close(fd);
        return false;
    }
    // Reads are small and scattered: no stdio buffer to refill at each seek.
    std::setvbuf(h, nullptr, _IONBF, 0);
    f.handle = h;
    f.path = nativePath;
    f.size = size;
    f.error = 0;
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
    if (n > 0 && !ReadAt(f, offset, out.data(), n)) throw Fault(faults::kReadPastEnd);
    return out;
}

bool ReadAt(const ByteFile& f, std::int64_t offset, char* out, std::size_t n) {
    // Positioned reads: one call per read, and the stream's own position is
    // never used.
    const int fd = f.handle ? ::fileno(f.handle) : -1;
    if (fd < 0) return false;
    while (n > 0) {
        const ssize_t got = ::pread(fd, out, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        offset += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
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

namespace {

// Closes a descriptor on every way out.
struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};

int OpenForReading(const std::string& nativePath, std::int64_t& size) {
    const int fd = OpenRegularFile(nativePath, size);
    if (fd < 0) throw SystemFault("Impossible de lire le fichier", nativePath, fd == -ENXIO ? kNotRegularFile : -fd);
    return fd;
}

// The next `n` bytes of `fd` into `into`; throws when they cannot all be read
// (the file shrank meanwhile, or the system's reason).
void ReadExactly(int fd, const std::string& nativePath, char* into, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, into + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw SystemFault("Impossible de lire le fichier", nativePath, errno);
        if (r == 0) throw Fault(faults::kReadPastEnd);
        got += static_cast<std::size_t>(r);
    }
}

// The first `limit` bytes of the file, read straight into the string returned.
std::string ReadStart(const std::string& nativePath, std::uint64_t limit) {
    std::int64_t size = 0;
    FdCloser f{OpenForReading(nativePath, size)};
    std::string data(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(size), limit)), '\0');
    ReadExactly(f.fd, nativePath, data.data(), data.size());
    return data;
}

}  // namespace

std::string ReadWholeFile(const std::string& nativePath) { return ReadStart(nativePath, UINT64_MAX); }

std::string ReadFileHead(const std::string& nativePath, std::size_t limit) { return ReadStart(nativePath, limit); }

void ReadFileInPieces(const std::string& nativePath, std::size_t piece,
                      const std::function<void(std::string_view)>& take) {
    std::int64_t size = 0;
    FdCloser f{OpenForReading(nativePath, size)};
    auto left = static_cast<std::uint64_t>(size);
    std::string buffer(static_cast<std::size_t>(std::min<std::uint64_t>(left, std::max<std::size_t>(piece, 1))), '\0');
    while (left > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
        ReadExactly(f.fd, nativePath, buffer.data(), n);
        take(std::string_view(buffer.data(), n));
        left -= n;
    }
}

}  // namespace pelicard
