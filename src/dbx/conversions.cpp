#include "dbx/conversions.hpp"

#include "common/fault.hpp"
#include "common/report.hpp"

namespace pelicard {

namespace {
constexpr std::size_t kWindowSize = 8192;
}

std::string Hexa(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::uint32_t Hexa6(std::string_view bytes) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 3 && k < bytes.size(); ++k)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k])) << (8 * k);
    return v;
}

std::uint32_t Hexa8(std::string_view bytes) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4 && k < bytes.size(); ++k)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k])) << (8 * k);
    return v;
}

std::int32_t CountValue(State& s, std::string_view bytes) {
    std::uint32_t v = Hexa8(bytes);
    if (v > 0x7FFFFFFFu) EndOnFault(s, "", Fault(faults::kOverflow));
    return static_cast<std::int32_t>(v);
}

void ResetDbxWindow(State& s) {
    s.dbx.Window.handle = nullptr;
    s.dbx.Window.start = -1;
    s.dbx.Window.bytes.clear();
}

std::string DbxRead(State& s, std::int64_t offset, std::size_t n) {
    const ByteFile& f = s.dbx.File;
    DbxReadWindow& w = s.dbx.Window;
    if (offset < 0 || offset > f.size || static_cast<std::int64_t>(n) > f.size - offset)
        throw Fault(faults::kReadPastEnd);
    if (n > kWindowSize) return ReadBytes(f, offset, n);
    if (w.handle != f.handle || offset < w.start ||
        offset + static_cast<std::int64_t>(n) > w.start + static_cast<std::int64_t>(w.bytes.size())) {
        w.handle = nullptr;
        w.bytes = ReadBytesUpTo(f, offset, kWindowSize);
        w.start = offset;
        w.handle = f.handle;
        if (w.bytes.size() < n) throw Fault(faults::kReadPastEnd);
    }
    return w.bytes.substr(static_cast<std::size_t>(offset - w.start), n);
}

}  // namespace pelicard
