#include "common/byte_file.hpp"

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

std::string ReadWholeFile(const std::string& nativePath) {
    std::int64_t size = 0;
    const int fd = OpenRegularFile(nativePath, size);
    if (fd < 0) throw SystemFault("Impossible de lire le fichier", nativePath, fd == -ENXIO ? kNotRegularFile : -fd);
    std::string data;
    try {
        data.resize(static_cast<std::size_t>(size));
    } catch (...) {
        ::close(fd);
        throw;
    }
    std::size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : 0;
            ::close(fd);
            if (err != 0) throw SystemFault("Impossible de lire le fichier", nativePath, err);
            throw Fault(faults::kReadPastEnd);  // the file shrank meanwhile
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return data;
}

}  // namespace pelicard
