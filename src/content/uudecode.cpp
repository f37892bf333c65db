#include "content/uudecode.hpp"

namespace pelicard {
namespace {

// One line without its line end; `at` moves past it.
std::string_view NextLine(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    std::size_t nl = text.find('\n', at);
    if (nl == std::string_view::npos) nl = text.size();
    at = nl < text.size() ? nl + 1 : nl;
    std::string_view line = text.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// "begin" + space + three or four octal digits + space + a name.
bool BeginLine(std::string_view line, std::string_view& name) {
    if (!line.starts_with("begin ")) return false;
    std::size_t i = 6, digits = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '7') ++i, ++digits;
    if (digits < 3 || digits > 4 || i >= line.size() || line[i] != ' ') return false;
    name = line.substr(i + 1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    return !name.empty();
}

int Sextet(std::string_view line, std::size_t i) {
    // Trailing spaces are often cut off: a missing character is a zero.
    return i < line.size() ? (static_cast<unsigned char>(line[i]) - 0x20) & 0x3F : 0;
}

// Appends the bytes of one encoded line; false at the line of length zero
// that closes the data.
bool DecodeLine(std::string_view line, std::string& out) {
    if (line.empty()) return true;  // a blank line inside the data is skipped
    const std::size_t count = static_cast<std::size_t>(Sextet(line, 0));
    if (count == 0) return false;
    for (std::size_t done = 0, i = 1; done < count; i += 4) {
        const int a = Sextet(line, i), b = Sextet(line, i + 1), c = Sextet(line, i + 2), d = Sextet(line, i + 3);
        const char bytes[3] = {static_cast<char>(a << 2 | b >> 4), static_cast<char>((b & 0xF) << 4 | c >> 2),
                               static_cast<char>((c & 0x3) << 6 | d)};
        for (int k = 0; k < 3 && done < count; ++k, ++done) out += bytes[k];
    }
    return true;
}

}  // namespace

std::vector<UuFile> FindUuencoded(std::string_view text) {
    std::vector<UuFile> files;
    std::size_t at = 0;
    while (at < text.size()) {
        std::string_view name;
        if (!BeginLine(NextLine(text, at), name)) continue;
        UuFile f{std::string(name), {}};
        while (at < text.size()) {
            const std::string_view line = NextLine(text, at);
            if (line == "end" || !DecodeLine(line, f.bytes)) break;
        }
        files.push_back(std::move(f));
    }
    return files;
}

}  // namespace pelicard
