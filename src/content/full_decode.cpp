#include "content/full_decode.hpp"

#include <algorithm>

#include <gmime/gmime.h>
#include <unordered_map>

#include "common/text.hpp"
#include "content/charsets.hpp"
#include "content/html.hpp"
#include "content/mime.hpp"
#include "content/text_part.hpp"

namespace pelicard {
namespace {

constexpr std::string_view kCrLf = "\r\n";

void AppendUtf8(std::string& out, gunichar cp) {
    char buf[8];
    out.append(buf, static_cast<std::size_t>(g_unichar_to_utf8(cp, buf)));
}

// Bare LF and bare CR become CR LF.
std::string CrLfLines(std::string_view t) {
    std::string out;
    out.reserve(t.size() + t.size() / 32);
    const char* const data = t.data();
    for (std::size_t i = 0; i < t.size(); ++i) {
        // The text between two line ends is copied whole.
        std::size_t end = i;
        while (end < t.size() && data[end] != '\r' && data[end] != '\n') ++end;
        out.append(data + i, end - i);
        if (end == t.size()) break;
        i = end;
        out += kCrLf;
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    }
    return out;
}

// The UTF-8 text in Windows-1252 for HTMLProcessing, every character that
// Windows-1252 cannot hold written as a numeric character reference, which
// the conversion leaves for ReplaceCharacterReferences.
std::string Cp1252WithReferences(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const char* const end = utf8.data() + utf8.size();
    for (const char* p = utf8.data(); p < end; p = g_utf8_next_char(p)) {
        // ASCII is the same in both: copied a run at a time.
        const char* q = p;
        while (q < end && static_cast<unsigned char>(*q) < 0x80) ++q;
        out.append(p, static_cast<std::size_t>(q - p));
        if (q == end) break;
        p = q;
        const gunichar cp = g_utf8_get_char(p);
        const char c = CodePointToCp1252(cp);
        if (c == '?' && cp != '?')
            out.append("&#").append(ToDecimal(cp)).append(";");
        else
            out.push_back(c);
    }
    return out;
}

// Empty charsets are none.
std::string ConvertedText(std::string_view bytes, const std::string& partCharset, const std::string& messageCharset) {
    std::string out;
    for (const std::string* cs : {&partCharset, &messageCharset})
        if (!cs->empty() && ConvertToUtf8(bytes, *cs, out)) return out;
    return UnknownBytesToUtf8(bytes);
}

struct NamedReferences {
    std::unordered_map<std::string_view, gunichar> map;
    NamedReferences() {
        static const std::pair<const char*, gunichar> table[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0},
            {"euro", 0x20AC}, {"hellip", 0x2026}, {"mdash", 0x2014}, {"ndash", 0x2013}, {"laquo", 0xAB},
            {"raquo", 0xBB}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"ldquo", 0x201C},
            {"rdquo", 0x201D}, {"bdquo", 0x201E}, {"bull", 0x2022}, {"middot", 0xB7}, {"deg", 0xB0},
            {"copy", 0xA9}, {"reg", 0xAE}, {"trade", 0x2122}, {"times", 0xD7}, {"divide", 0xF7},
            {"sect", 0xA7}, {"para", 0xB6}, {"cent", 0xA2}, {"pound", 0xA3}, {"yen", 0xA5},
            {"iexcl", 0xA1}, {"iquest", 0xBF}, {"shy", 0xAD}, {"oelig", 0x153}, {"OElig", 0x152},
            {"scaron", 0x161}, {"Scaron", 0x160}, {"ordf", 0xAA}, {"ordm", 0xBA}, {"plusmn", 0xB1},
            {"sup1", 0xB9}, {"sup2", 0xB2}, {"sup3", 0xB3}, {"frac12", 0xBD}, {"frac14", 0xBC},
            {"frac34", 0xBE}, {"micro", 0xB5}, {"acute", 0xB4}, {"cedil", 0xB8}, {"uml", 0xA8},
            {"not", 0xAC}, {"curren", 0xA4}, {"brvbar", 0xA6}, {"macr", 0xAF}, {"thinsp", 0x2009},
            {"ensp", 0x2002}, {"emsp", 0x2003}, {"zwnj", 0x200C}, {"zwj", 0x200D}, {"lrm", 0x200E},
            {"rlm", 0x200F}, {"dagger", 0x2020}, {"Dagger", 0x2021}, {"permil", 0x2030},
            {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"circ", 0x2C6}, {"tilde", 0x2DC}, {"Yuml", 0x178},
            {"fnof", 0x192}, {"larr", 0x2190}, {"rarr", 0x2192}, {"uarr", 0x2191}, {"darr", 0x2193}};
        for (const auto& [name, cp] : table) map.emplace(name, cp);
    }
};

// The character of the reference body between "&" and ";"; 0 when none.
gunichar ReferenceCharacter(std::string_view name) {
    static const NamedReferences named;
    if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 7) return 0;
        gunichar cp = 0;
        for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return 0;
            cp = cp * (hex ? 16 : 10) + static_cast<gunichar>(d);
        }
        // Browsers read 128-159 as the Windows-1252 characters of those codes.
        if (cp >= 0x80 && cp <= 0x9F) cp = Cp1252ToCodePoint(static_cast<unsigned char>(cp));
        return cp == 0 || !g_unichar_validate(cp) ? 0 : cp;
    }
    auto it = named.map.find(name);
    return it == named.map.end() ? 0 : it->second;
}

}  // namespace

std::string UnfoldedField(std::string_view h, std::string_view key) {
    std::size_t start;
    if (StartsWithNoCase(h, key)) {
        start = key.size() + 1;
    } else {
        std::string line(kCrLf);
        line += key;
        const std::size_t p = FindNoCase(h, line);
        if (p == npos) return {};
        start = p + line.size() + 1;
    }
    if (start >= h.size()) return {};
    std::string v;
    for (std::size_t from = start;;) {
        const std::size_t e = FindExact(h, kCrLf, from);
        v.append(h.substr(from, e == npos ? npos : e - from));
        if (e == npos || e + 2 >= h.size() || (h[e + 2] != ' ' && h[e + 2] != '\t')) break;
        from = e + 2;
    }
    return TrimSpaces(v);
}

bool WantsFullDecoding(std::string_view value) {
    if (HoldsEncodedWord(value)) return true;
    for (char c : value)
        if (static_cast<unsigned char>(c) >= 0x80) return IsValidUtf8(value);
    return false;
}

std::string FromUtf8(std::string utf8, std::string& companion) {
    bool fits = true;
    std::string core = Utf8ToCp1252(utf8, &fits);
    if (fits)
        companion.clear();
    else
        companion = std::move(utf8);
    return core;
}

std::string DecodeField(std::string_view raw, std::string& utf8) { return FromUtf8(DecodeHeaderValue(raw), utf8); }

std::string Utf8Form(const std::string& cp1252, const std::string& companion) {
    if (!companion.empty() && Utf8ToCp1252(companion) == cp1252) return companion;
    return Cp1252ToUtf8(cp1252);
}

void ReplaceCharacterReferences(std::string& t) {
    constexpr std::size_t kLongest = 9;  // "#x10FFFF" and the longest name
    std::size_t amp = t.find('&');
    if (amp == npos) return;
    std::string out;
    out.reserve(t.size());
    std::size_t copied = 0;
    for (; amp != npos; amp = t.find('&', amp + 1)) {
        const std::size_t semi = t.find(';', amp + 1);
        if (semi == npos) break;
        if (semi - amp - 1 > kLongest) continue;
        const gunichar cp = ReferenceCharacter(std::string_view(t).substr(amp + 1, semi - amp - 1));
        if (cp == 0) continue;
        out.append(t, copied, amp - copied);
        AppendUtf8(out, cp == 0xA0 ? ' ' : cp);
        copied = semi + 1;
        amp = semi;
    }
    if (copied == 0) return;
    out.append(t, copied, npos);
    t.swap(out);
}

bool FirstTextPartUtf8(State& s, std::string_view message, std::string& utf8) {
    TextPart part;
    if (!ReadTextPart(message, part)) return false;
    utf8 = CrLfLines(ConvertedText(part.bytes, part.charset, part.topCharset));
    if (!part.html) return true;
    if (utf8.find('<') != npos && utf8.find('>') != npos) {
        std::string cp = Cp1252WithReferences(utf8);
        utf8 = Cp1252ToUtf8(HTMLProcessing(s, cp));
    }
    ReplaceCharacterReferences(utf8);
    return true;
}

bool FullBody(State& s, std::string_view message, std::string& core, std::string& companion,
              void (*tidy)(std::string&)) {
    companion.clear();
    std::string utf8;
    if (!FirstTextPartUtf8(s, message, utf8)) return false;
    RemoveMailLinks(utf8);
    tidy(utf8);
    core = FromUtf8(std::move(utf8), companion);
    return true;
}

void SetCompanions(State& s, const std::string& subjectU8, const std::string& sender, const std::string& senderU8) {
    ContentState& c = s.content;
    const WorkingTexts& t = s.texts;
    c.SubjectU8 = subjectU8;
    c.SubjectLineU8.clear();
    c.DateSenderBlockU8.clear();
    if (!subjectU8.empty()) c.SubjectLineU8 = "Objet : " + subjectU8 + "\r\n";
    // The block ends with the sender and an empty line.
    const std::size_t tail = sender.size() + 4;
    if (!senderU8.empty() && t.DateSenderBlock.size() >= tail)
        c.DateSenderBlockU8 = Cp1252ToUtf8(std::string_view(t.DateSenderBlock).substr(0, t.DateSenderBlock.size() - tail)) +
                              senderU8 + "\r\n\r\n";
}

void ShowInEditors(State& s, const std::string& body, const std::string& subject) {
    const ContentState& c = s.content;
    if (c.BodyU8.empty())
        s.window->SetText("txtBody", body);
    else
        s.window->SetTextUtf8("txtBody", c.BodyU8);
    if (c.SubjectU8.empty())
        s.window->SetText("txtSubject", subject);
    else
        s.window->SetTextUtf8("txtSubject", c.SubjectU8);
}

}  // namespace pelicard
