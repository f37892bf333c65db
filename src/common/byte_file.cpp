#include "common/byte_file.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Reads the open `fd` from its start: up to `limit` bytes, handed on in
// pieces of `piece` bytes; `size` is what the file held when opened. The
// descriptor is closed in every case.
void ReadOpenFile(int fd, const std::string& nativePath, std::int64_t size, std::size_t limit, std::size_t piece,
                  const std::function<void(std::string_view)>& take) {
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    const std::size_t total = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), limit);
    std::string buffer(std::min(total, piece), '\0');
    std::size_t done = 0;
    while (done < total) {
        const std::size_t want = std::min(buffer.size(), total - done);
        std::size_t got = 0;
        while (got < want) {
            const ssize_t n = ::read(fd, buffer.data() + got, want - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw SystemFault("Impossible de lire le fichier", nativePath, errno);
            if (n == 0) throw Fault(faults::kReadPastEnd);  // the file shrank meanwhile
            got += static_cast<std::size_t>(n);
        }
        take(std::string_view(buffer.data(), got));
        done += got;
    }
}

int OpenForReading(const std::string& nativePath, std::int64_t& size) {
    const int fd = OpenRegularFile(nativePath, size);
    if (fd < 0) throw SystemFault("Impossible de lire le fichier", nativePath, fd == -ENXIO ? kNotRegularFile : -fd);
    return fd;
}

}  // namespace

std::string ReadWholeFile(const std::string& nativePath) {
    std::int64_t size = 0;
    const int fd = OpenForReading(nativePath, size);
    std::string data;
    try {
        data.reserve(static_cast<std::size_t>(size));
    } catch (...) {
        ::close(fd);
        throw;
    }
    ReadOpenFile(fd, nativePath, size, static_cast<std::size_t>(size), static_cast<std::size_t>(size),
                 [&](std::string_view p) { data.append(p); });
    return data;
}

std::string ReadFileHead(const std::string& nativePath, std::size_t limit) {
    std::int64_t size = 0;
    const int fd = OpenForReading(nativePath, size);
    std::string data;
    ReadOpenFile(fd, nativePath, size, limit, limit, [&](std::string_view p) { data.append(p); });
    return data;
}

void ReadFileInPieces(const std::string& nativePath, std::size_t piece,
                      const std::function<void(std::string_view)>& take) {
    std::int64_t size = 0;
    const int fd = OpenForReading(nativePath, size);
    ReadOpenFile(fd, nativePath, size, static_cast<std::size_t>(size), piece, take);
}

}  // namespace pelicard
