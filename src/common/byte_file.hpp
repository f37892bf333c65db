// Read-only access to a store file by absolute offsets, every read checked
// against the file size. Nothing here can write to the file.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace pelicard {

struct ByteFile {
    std::FILE* handle = nullptr;
    std::string path;     // native (UTF-8) path
    std::int64_t size = 0;
    int error = 0;        // why the last OpenByteFile failed (errno, or kNotRegularFile)
};

// Opens read-only; false when the file cannot be opened or is no regular
// file (a FIFO never holds the open), the reason in f.error. Closes any file
// the record held before.
bool OpenByteFile(ByteFile& f, const std::string& nativePath);
void CloseByteFile(ByteFile& f);
bool IsOpen(const ByteFile& f);

// Reads n bytes at offset; throws Fault("Lecture au-delà de la fin du fichier")
// when the range does not lie inside the file.
std::string ReadBytes(const ByteFile& f, std::int64_t offset, std::size_t n);
// Reads exactly n bytes at offset into out (which must hold n); false on a
// short read. The caller has checked the range.
bool ReadAt(const ByteFile& f, std::int64_t offset, char* out, std::size_t n);
// Reads up to n bytes at offset (fewer at the end of the file, none past it).
std::string ReadBytesUpTo(const ByteFile& f, std::int64_t offset, std::size_t n);
std::uint8_t ReadU8(const ByteFile& f, std::int64_t offset);
std::uint32_t ReadU32(const ByteFile& f, std::int64_t offset);

// Little-endian numbers from bytes held in memory.
std::uint32_t LoadU32(const char* p);
std::uint32_t LoadU24(const char* p);

// Opens a regular file read-only without waiting on a FIFO or device: the
// descriptor, or -errno (-ENXIO for anything but a regular file); `size` is
// the file's size.
int OpenRegularFile(const std::string& nativePath, std::int64_t& size);
// Whole file as bytes; throws Fault "Impossible de lire le fichier <path>"
// with the system's reason when it cannot be read.
std::string ReadWholeFile(const std::string& nativePath);
// The first `limit` bytes of the file (all of it when shorter); the same faults.
std::string ReadFileHead(const std::string& nativePath, std::size_t limit);
// The whole file handed to `take` in pieces of at most `piece` bytes, in
// order, so that a file of any size is copied in bounded memory; the same
// faults, also when the file shrinks while it is read.
void ReadFileInPieces(const std::string& nativePath, std::size_t piece,
                      const std::function<void(std::string_view)>& take);

}  // namespace pelicard
