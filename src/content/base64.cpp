// Base64 bodies to single-byte text. Strict about its alphabet: any stray
// character (a delimiter line left in the data, say) gives the empty text,
// which the callers read as "could not decode".
#include "content/base64.hpp"

#include <array>

namespace pelicard {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of each data character, -1 for "=", -2 for anything else.
const std::array<signed char, 256>& Values() {
    static const std::array<signed char, 256> v = [] {
        std::array<signed char, 256> a{};
        a.fill(-2);
        for (std::size_t i = 0; i < kAlphabet.size(); ++i)
            a[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
        a['='] = -1;
        return a;
    }();
    return v;
}

}  // namespace

std::string Base64Decode(std::string_view text) {
    // Line breaks (CR LF pairs) first, then tabs and spaces; a lone CR or LF
    // stays and spoils the data.
    std::string data;
    data.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            continue;
        }
        data.push_back(text[i]);
    }
    std::size_t w = 0;
    for (char c : data)
        if (c != '\t' && c != ' ') data[w++] = c;
    data.resize(w);
    if (data.size() % 4 != 0) return {};

    const auto& values = Values();
    std::string out;
    out.reserve(data.size() / 4 * 3);
    for (std::size_t g = 0; g < data.size(); g += 4) {
        int count = 3;
        std::uint32_t acc = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            int v = values[static_cast<unsigned char>(data[g + k])];
            if (v == -2) return {};
            if (v == -1) {
                --count;
                v = 0;
            }
            acc = acc * 64 + static_cast<std::uint32_t>(v);
        }
        for (int b = 0; b < count; ++b) out.push_back(static_cast<char>((acc >> (16 - 8 * b)) & 0xFF));
    }
    std::size_t n = out.size();
    while (n > 0 && static_cast<unsigned char>(out[n - 1]) < 32) --n;
    out.resize(n);
    return out;
}

}  // namespace pelicard
