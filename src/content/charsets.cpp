#include "content/charsets.hpp"

#include <cerrno>
#include <gmime/gmime.h>
#include <vector>

#include "common/text.hpp"
#include "content/gmime_init.hpp"

namespace pelicard {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The charset's name without quotes, blanks and a language ("utf-8*fr").
std::string CleanName(std::string_view charset) {
    std::string name;
    for (char c : charset) {
        if (c == '*') break;
        if (c != '"' && c != '\'' && !IsBlank(c)) name.push_back(c);
    }
    return name;
}

bool IsWindows1252(const char* canon) {
    const std::string n = FoldCase(canon);
    return n == "iso-8859-1" || n == "us-ascii" || n == "windows-1252" || n == "cp1252";
}

// iconv over the whole text, refusing any invalid or cut sequence.
bool Iconv(iconv_t cd, std::string_view bytes, std::string& out) {
    out.assign(bytes.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::size_t used = 0;
    for (bool flushing = false;;) {
        char* o = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t r = flushing ? iconv(cd, nullptr, nullptr, &o, &outLeft) : iconv(cd, &in, &inLeft, &o, &outLeft);
        used = out.size() - outLeft;
        if (r != static_cast<std::size_t>(-1)) {
            if (flushing) break;
            flushing = true;  // stateful charsets (ISO-2022-JP) end their shift state
            continue;
        }
        if (errno != E2BIG) return false;
        out.resize(out.size() * 2);
    }
    out.resize(used);
    return true;
}

bool IsBase64Char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
           c == '=';
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The payload of one encoded word as bytes; false when it is malformed.
bool DecodePayload(char encoding, std::string_view text, std::string& bytes) {
    std::string in(text);
    if (encoding == 'B' || encoding == 'b') {
        for (char c : in)
            if (!IsBase64Char(c)) return false;
        bytes.assign(in.size() * 3 / 4 + 4, '\0');
        int state = 0;
        guint32 save = 0;
        bytes.resize(g_mime_encoding_base64_decode_step(reinterpret_cast<const unsigned char*>(in.data()), in.size(),
                                                         reinterpret_cast<unsigned char*>(bytes.data()), &state, &save));
        return true;
    }
    for (std::size_t i = 0; i < in.size(); ++i) {
        const auto u = static_cast<unsigned char>(in[i]);
        if (u <= ' ' || u >= 0x7F) return false;
        if (in[i] == '_') in[i] = ' ';
        if (in[i] == '=' && (i + 2 >= in.size() || !IsHex(in[i + 1]) || !IsHex(in[i + 2]))) return false;
    }
    bytes.assign(in.size() + 4, '\0');
    int state = 0;
    guint32 save = 0;
    bytes.resize(g_mime_encoding_quoted_decode_step(reinterpret_cast<const unsigned char*>(in.data()), in.size(),
                                                     reinterpret_cast<unsigned char*>(bytes.data()), &state, &save));
    return true;
}

// One encoded word starting at `at` ("=?"): its end (after "?=") and its
// decoded text, or false when what follows is no well-formed, readable
// word. Every scan stops at the next "?", so the cost stays linear.
bool EncodedWordAt(std::string_view v, std::size_t at, std::size_t& end, std::string& utf8) {
    std::size_t p = at + 2;
    const std::size_t q1 = v.find('?', p);
    if (q1 == npos || q1 == p || q1 + 2 >= v.size() || v[q1 + 2] != '?') return false;
    for (std::size_t i = p; i < q1; ++i)
        if (IsBlank(v[i]) || static_cast<unsigned char>(v[i]) < 0x20) return false;
    const char encoding = v[q1 + 1];
    if (encoding != 'B' && encoding != 'b' && encoding != 'Q' && encoding != 'q') return false;
    const std::size_t t = q1 + 3;
    const std::size_t q2 = v.find('?', t);
    if (q2 == npos || q2 + 1 >= v.size() || v[q2 + 1] != '=') return false;
    std::string bytes;
    if (!DecodePayload(encoding, v.substr(t, q2 - t), bytes)) return false;
    if (!ConvertToUtf8(bytes, v.substr(p, q1 - p), utf8)) return false;
    end = q2 + 2;
    return true;
}

}  // namespace

void EnsureMimeLibrary() { EnsureGMime(); }

bool IsValidUtf8(std::string_view bytes) {
    // GLib refuses a NUL byte inside the length it is given, yet NUL is a
    // character of UTF-8 like any other: the pieces around it are checked.
    for (std::size_t from = 0;;) {
        const std::size_t nul = bytes.find('\0', from);
        const std::string_view piece = bytes.substr(from, nul == npos ? npos : nul - from);
        if (!g_utf8_validate(piece.data(), static_cast<gssize>(piece.size()), nullptr)) return false;
        if (nul == npos) return true;
        from = nul + 1;
    }
}

std::string UnknownBytesToUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Cp1252ToUtf8(bytes);
}

bool ConvertToUtf8(std::string_view bytes, std::string_view charset, std::string& out) {
    EnsureMimeLibrary();
    const std::string name = CleanName(charset);
    if (name.empty()) return false;
    const char* canon = g_mime_charset_canon_name(name.c_str());
    if (canon == nullptr) return false;
    if (IsWindows1252(canon)) {
        out = Cp1252ToUtf8(bytes);
        return true;
    }
    if (EqualsNoCase(canon, "utf-8")) {
        if (!IsValidUtf8(bytes)) return false;
        out.assign(bytes);
        return true;
    }
    iconv_t cd = g_mime_iconv_open("UTF-8", canon);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    const bool ok = Iconv(cd, bytes, out) && IsValidUtf8(out);
    g_mime_iconv_close(cd);
    return ok;
}

bool FitsCp1252(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) continue;
        const gunichar cp = g_utf8_get_char_validated(utf8.data() + i, static_cast<gssize>(utf8.size() - i));
        if (cp == static_cast<gunichar>(-1) || cp == static_cast<gunichar>(-2)) return false;
        if (CodePointToCp1252(cp) == '?') return false;
        i += static_cast<std::size_t>(g_utf8_skip[c]) - 1;
    }
    return true;
}

bool HoldsEncodedWord(std::string_view text) {
    for (std::size_t at = text.find("=?"); at != npos; at = text.find("=?", at + 2)) {
        const std::size_t q1 = text.find('?', at + 2);
        if (q1 == npos) return false;
        if (q1 + 2 < text.size() && text[q1 + 2] == '?' && text.find("?=", q1 + 3) != npos) return true;
    }
    return false;
}

std::string DecodeHeaderValue(std::string_view raw) {
    // The text between the words is gathered first: its charset is decided
    // once for the whole value.
    struct Piece {
        bool word;
        std::string text;
    };
    std::vector<Piece> pieces;
    bool plainUtf8 = true;
    std::size_t i = 0, plainFrom = 0;
    while (i < raw.size()) {
        const std::size_t at = raw.find("=?", i);
        if (at == npos) break;
        std::size_t end = 0;
        std::string utf8;
        if (!EncodedWordAt(raw, at, end, utf8)) {
            i = at + 2;
            continue;
        }
        const std::string_view between = raw.substr(plainFrom, at - plainFrom);
        const bool afterWord = !pieces.empty() && pieces.back().word;
        // Blanks between two encoded words go.
        if (!between.empty() && !(afterWord && between.find_first_not_of(" \t\r\n") == npos)) {
            if (!IsValidUtf8(between)) plainUtf8 = false;
            pieces.push_back({false, std::string(between)});
        }
        pieces.push_back({true, std::move(utf8)});
        plainFrom = i = end;
    }
    if (plainFrom < raw.size()) {
        const std::string_view rest = raw.substr(plainFrom);
        if (!IsValidUtf8(rest)) plainUtf8 = false;
        pieces.push_back({false, std::string(rest)});
    }
    std::string out;
    out.reserve(raw.size());
    for (const Piece& p : pieces) out += p.word || plainUtf8 ? p.text : Cp1252ToUtf8(p.text);
    return out;
}

}  // namespace pelicard
