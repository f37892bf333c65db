#include "common/text.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

namespace pelicard {
namespace {

constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct Tables {
    std::array<unsigned char, 256> fold{};
    std::array<unsigned char, 256> upper{};
    Tables() {
        for (int c = 0; c < 256; ++c) fold[c] = upper[c] = static_cast<unsigned char>(c);
        for (int c = 'A'; c <= 'Z'; ++c) fold[c] = static_cast<unsigned char>(c + 32), upper[c + 32] = static_cast<unsigned char>(c);
        for (int c = 0xC0; c <= 0xDE; ++c) {
            if (c == 0xD7) continue;
            fold[c] = static_cast<unsigned char>(c + 0x20);
            upper[c + 0x20] = static_cast<unsigned char>(c);
        }
        const int pairs[][2] = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
        for (auto& p : pairs) {
            fold[p[0]] = static_cast<unsigned char>(p[1]);
            upper[p[1]] = static_cast<unsigned char>(p[0]);
        }
    }
};

const Tables& T() {
    static const Tables t;
    return t;
}

struct FoldEq {
    bool operator()(char a, char b) const {
        return T().fold[static_cast<unsigned char>(a)] == T().fold[static_cast<unsigned char>(b)];
    }
};

template <bool NoCase>
std::size_t FindImpl(std::string_view hay, std::string_view needle, std::size_t from) {
    if (from > hay.size()) return npos;
    if (needle.empty()) return from;
    if (needle.size() > hay.size() - from) return npos;
    if constexpr (NoCase) {
        // A scan over the folding table: cheaper than building a searcher
        // (with its hash table) for each of the many short searches.
        const auto& fold = T().fold;
        const auto* h = reinterpret_cast<const unsigned char*>(hay.data());
        const auto* nd = reinterpret_cast<const unsigned char*>(needle.data());
        const unsigned char head = fold[nd[0]];
        const std::size_t n = needle.size();
        const std::size_t last = hay.size() - n;
        if (T().upper[head] == head) {
            // The first character has no other case: memchr finds the candidates.
            for (std::size_t i = from; i <= last; ++i) {
                const void* p = std::memchr(h + i, head, last - i + 1);
                if (!p) return npos;
                i = static_cast<std::size_t>(static_cast<const unsigned char*>(p) - h);
                std::size_t k = 1;
                while (k < n && fold[h[i + k]] == fold[nd[k]]) ++k;
                if (k == n) return i;
            }
            return npos;
        }
        for (std::size_t i = from; i <= last; ++i) {
            if (fold[h[i]] != head) continue;
            std::size_t k = 1;
            while (k < n && fold[h[i + k]] == fold[nd[k]]) ++k;
            if (k == n) return i;
        }
        return npos;
    } else {
        if (needle.size() < 4) {
            // Short needles: memchr finds the candidates; cheaper than building a searcher.
            const char* h = hay.data();
            for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
                const void* p = std::memchr(h + i, needle[0], hay.size() - needle.size() - i + 1);
                if (!p) return npos;
                i = static_cast<std::size_t>(static_cast<const char*>(p) - h);
                std::size_t k = 1;
                while (k < needle.size() && h[i + k] == needle[k]) ++k;
                if (k == needle.size()) return i;
            }
            return npos;
        }
        std::boyer_moore_horspool_searcher s(needle.begin(), needle.end());
        auto it = std::search(hay.begin() + static_cast<std::ptrdiff_t>(from), hay.end(), s);
        return it == hay.end() ? npos : static_cast<std::size_t>(it - hay.begin());
    }
}

template <bool NoCase>
bool ReplaceImpl(std::string& s, std::string_view find, std::string_view with) {
    if (find.empty()) return false;
    std::size_t pos = FindImpl<NoCase>(s, find, 0);
    if (pos == npos) return false;
    // A longer replacement counts its matches first so the result is
    // allocated once at its size.
    std::size_t size = s.size();
    if (with.size() > find.size()) {
        std::size_t count = 0;
        for (std::size_t q = pos; q != npos; q = FindImpl<NoCase>(s, find, q + find.size())) ++count;
        size += (with.size() - find.size()) * count;
    }
    std::string out;
    out.reserve(size);
    std::size_t last = 0;
    while (pos != npos) {
        out.append(s, last, pos - last);
        out.append(with);
        last = pos + find.size();
        pos = FindImpl<NoCase>(s, find, last);
    }
    out.append(s, last, npos);
    s.swap(out);
    return true;
}

// Primary collation weight of one byte; letters may expand to two.
struct Collation {
    std::array<std::array<unsigned short, 2>, 256> w{};
    std::array<unsigned char, 256> base{};  // accent-free small letter, or 0
    Collation() {
        for (int c = 0; c < 256; ++c) w[c] = {0, 0};
        auto letter = [](char l) { return static_cast<unsigned short>(0x400 + (l - 'a') * 4); };
        for (int c = 0x20; c < 0x7F; ++c) w[c][0] = static_cast<unsigned short>(c);
        for (int c = 0x80; c < 0x100; ++c) w[c][0] = static_cast<unsigned short>(0x100 + c);
        for (int c = 1; c < 0x20; ++c) w[c][0] = static_cast<unsigned short>(c);
        for (int d = 0; d < 10; ++d) w['0' + d][0] = static_cast<unsigned short>(0x300 + d);
        for (char l = 'a'; l <= 'z'; ++l) {
            w[static_cast<unsigned char>(l)][0] = letter(l);
            w[static_cast<unsigned char>(l - 32)][0] = letter(l);
        }
        const char* accented[] = {
            "\xC0\xC1\xC2\xC3\xC4\xC5\xE0\xE1\xE2\xE3\xE4\xE5" "a",
            "\xC7\xE7" "c", "\xC8\xC9\xCA\xCB\xE8\xE9\xEA\xEB" "e",
            "\xCC\xCD\xCE\xCF\xEC\xED\xEE\xEF" "i", "\xD1\xF1" "n",
            "\xD2\xD3\xD4\xD5\xD6\xD8\xF2\xF3\xF4\xF5\xF6\xF8" "o",
            "\xD9\xDA\xDB\xDC\xF9\xFA\xFB\xFC" "u", "\xDD\xFD\xFF\x9F" "y",
            "\x8A\x9A" "s", "\x8E\x9E" "z", "\xD0\xF0" "d", "\x83" "f"};
        for (const char* group : accented) {
            std::size_t n = std::strlen(group);
            char l = group[n - 1];
            for (std::size_t k = 0; k + 1 < n; ++k) w[static_cast<unsigned char>(group[k])][0] = letter(l);
        }
        auto expand = [&](unsigned char c, char a, char b) { w[c] = {letter(a), letter(b)}; };
        expand(0xC6, 'a', 'e'); expand(0xE6, 'a', 'e');
        expand(0x8C, 'o', 'e'); expand(0x9C, 'o', 'e');
        expand(0xDF, 's', 's');
        expand(0xDE, 't', 'h'); expand(0xFE, 't', 'h');
    }
};

const Collation& C() {
    static const Collation c;
    return c;
}

template <typename Out>
void Primary(std::string_view s, Out out) {
    for (unsigned char ch : s) {
        const auto& w = C().w[ch];
        if (w[0]) out(w[0]);
        if (w[1]) out(w[1]);
    }
}

}  // namespace

char FoldCase(char c) { return static_cast<char>(T().fold[static_cast<unsigned char>(c)]); }
char UpperCase(char c) { return static_cast<char>(T().upper[static_cast<unsigned char>(c)]); }

std::string FoldCase(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = FoldCase(c);
    return r;
}
std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = UpperCase(c);
    return r;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!FoldEq{}(a[i], b[i])) return false;
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from) {
    return FindImpl<true>(hay, needle, from);
}
std::size_t FindExact(std::string_view hay, std::string_view needle, std::size_t from) {
    return FindImpl<false>(hay, needle, from);
}
std::size_t RFindNoCase(std::string_view hay, std::string_view needle) {
    if (needle.size() > hay.size()) return npos;
    for (std::size_t i = hay.size() - needle.size() + 1; i-- > 0;)
        if (EqualsNoCase(hay.substr(i, needle.size()), needle)) return i;
    return npos;
}

bool ReplaceNoCaseInPlace(std::string& s, std::string_view find, std::string_view with) {
    return ReplaceImpl<true>(s, find, with);
}
bool ReplaceExactInPlace(std::string& s, std::string_view find, std::string_view with) {
    return ReplaceImpl<false>(s, find, with);
}
std::string ReplaceNoCase(std::string_view s, std::string_view find, std::string_view with) {
    std::string r(s);
    ReplaceImpl<true>(r, find, with);
    return r;
}
std::string ReplaceExact(std::string_view s, std::string_view find, std::string_view with) {
    std::string r(s);
    ReplaceImpl<false>(r, find, with);
    return r;
}

std::string TrimLeftSpaces(std::string_view s) {
    std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}
std::string TrimRightSpaces(std::string_view s) {
    std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}
std::string TrimSpaces(std::string_view s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
}

char32_t Cp1252ToCodePoint(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80];
    return c;
}

char CodePointToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] == cp) return static_cast<char>(0x80 + k);
    return '?';
}

std::string Cp1252ToUtf8(std::string_view s) {
    // Written through a pointer into room for the longest forms (three bytes
    // for each byte beyond ASCII), then cut to size.
    std::size_t high = 0;
    for (char c : s) high += static_cast<unsigned char>(c) >> 7;
    std::string out(s.size() + high * 2, '\0');
    char* o = out.data();
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            *o++ = static_cast<char>(c);
            continue;
        }
        const char32_t cp = Cp1252ToCodePoint(c);
        if (cp < 0x800) {
            *o++ = static_cast<char>(0xC0 | (cp >> 6));
        } else {
            *o++ = static_cast<char>(0xE0 | (cp >> 12));
            *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string Utf8ToCp1252(std::string_view s, bool* fits) {
    std::string out(s.size(), '\0');
    char* o = out.data();
    bool allFit = true;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            *o++ = static_cast<char>(c);
            ++i;
            continue;
        }
        int len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        char32_t cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = len != 0 && i + static_cast<std::size_t>(len) <= s.size();
        for (int k = 1; ok && k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            *o++ = '?';
            allFit = false;
            ++i;
            continue;
        }
        const char b = CodePointToCp1252(cp);
        // A longer form than the character needs is no UTF-8, though it is
        // read the lenient way here.
        const char32_t least = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
        if (b == '?' || cp < least) allFit = false;
        *o++ = b;
        i += static_cast<std::size_t>(len);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    if (fits != nullptr) *fits = allFit;
    return out;
}

int CollateCompare(std::string_view a, std::string_view b) {
    std::basic_string<unsigned short> pa, pb;
    pa.reserve(a.size());
    pb.reserve(b.size());
    Primary(a, [&](unsigned short w) { pa.push_back(w); });
    Primary(b, [&](unsigned short w) { pb.push_back(w); });
    if (int r = pa.compare(pb)) return r < 0 ? -1 : 1;
    // Same letters: accents decide, then case, then the bytes themselves.
    std::string fa = FoldCase(a), fb = FoldCase(b);
    if (int r = fa.compare(fb)) return r < 0 ? -1 : 1;
    if (int r = a.compare(b)) return r < 0 ? 1 : -1;  // small letters first
    return 0;
}

void AppendCollationPrimaryKey(std::string& key, std::string_view s) {
    key.reserve(key.size() + s.size() * 2);
    Primary(s, [&](unsigned short w) {
        key.push_back(static_cast<char>(w >> 8));
        key.push_back(static_cast<char>(w & 0xFF));
    });
}

std::string CollationPrimaryKey(std::string_view s) {
    std::string key;
    AppendCollationPrimaryKey(key, s);
    return key;
}

std::string ToDecimal(long long n) { return std::to_string(n); }

long long ParseLeadingNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    long long v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (v < 100000000000000000LL) v = v * 10 + (s[i] - '0');
        ++i;
    }
    return neg ? -v : v;
}

}  // namespace pelicard
