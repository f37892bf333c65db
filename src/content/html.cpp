// HTML to plain text by ordered string operations over the whole text: the
// head and style sheets go, control characters go, block tags become line
// breaks, every other tag goes, and named character references become
// characters. Each step is one pass over the text, so the cost stays linear
// in the number of tags.
#include "content/html.hpp"

#include <cstring>
#include <new>
#include <string_view>
#include <unordered_map>

#include "common/report.hpp"
#include "common/text.hpp"
#include "content/decode.hpp"
#include "content/decode_rows.hpp"

namespace pelicard {
namespace {

using rows::Find;

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kTwoLines = "\r\n\r\n";

// Drops every "<style" … "</style>" element. Once an element is dropped, the
// text before it and the text after it meet, and a new "<style" may straddle
// the junction: the search goes on from five characters before it. An
// element without its closing tag runs to the end of the text.
void DropStyles(std::string& t) {
    constexpr std::string_view open = "<style", close = "</style>";
    std::size_t s = Find(t, open, 0, false);
    if (s == npos) return;
    std::string out;  // the kept text; the current text is out + t[r, end)
    out.reserve(t.size());
    std::size_t r = 0;
    for (;;) {
        // A "<style" that begins in out and ends in t[r, …).
        const std::size_t tail = std::min<std::size_t>(open.size() - 1, out.size());
        std::string probe = out.substr(out.size() - tail);
        probe.append(t, r, open.size() - 1);
        const std::size_t k = Find(probe, open, 0, false);
        std::size_t closeFrom;  // where "</style>" is searched in t
        if (k != npos && k < tail) {
            const std::size_t inOut = out.size() - tail + k;
            closeFrom = r + (inOut + open.size() - out.size());
            out.resize(inOut);
        } else {
            s = Find(t, open, r, false);
            if (s == npos) break;
            out.append(t, r, s - r);
            closeFrom = s + open.size();
        }
        const std::size_t e = Find(t, close, closeFrom, false);
        r = e == npos ? t.size() : e + close.size();
    }
    out.append(t, r, npos);
    t.swap(out);
}

// Tabs become spaces; every other character below 32 goes.
void DropControls(std::string& t) {
    std::size_t w = 0;
    for (char c : t) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 32) t[w++] = c;
        else if (u == 9) t[w++] = ' ';
    }
    t.resize(w);
}

// Runs of spaces become one space.
void CollapseSpaces(std::string& t) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == ' ' && w > 0 && t[w - 1] == ' ') continue;
        t[w++] = t[i];
    }
    t.resize(w);
}

// An opening "<p" tag met before the previous paragraph was closed becomes
// an empty line. The search positions are those of the changed text; after
// the last replacement the changed text is the input shifted by `delta`, and
// every later search starts past that replacement, so the searches run on
// the input and the output is assembled once.
void CloseParagraphs(std::string& t) {
    const std::size_t first = Find(t, "<p", 0, false);
    if (first == npos) return;
    std::string out;
    std::size_t copied = 0;       // input consumed into out
    long long delta = 0;          // changed position − input position
    long long p = static_cast<long long>(first);  // in the changed text
    std::size_t k = npos;         // next "</p" at or after kFrom, in the input
    bool kKnown = false;
    for (;;) {
        const long long from = p + 1 - delta;
        if (from > static_cast<long long>(t.size())) break;
        const auto start = static_cast<std::size_t>(from);
        const std::size_t q = Find(t, "<p", start, false);
        if (q == npos) break;
        if (!kKnown || (k != npos && k < start)) {
            k = Find(t, "</p", start, false);
            kKnown = true;
        }
        if (k != npos && k > q) {
            const std::size_t g = t.find('>', q);
            if (g == npos) break;
            if (out.empty()) out.reserve(t.size());
            out.append(t, copied, q - copied);
            out.append(kTwoLines);
            copied = g + 1;
            p = static_cast<long long>(g) + delta + 5;
            delta += static_cast<long long>(kTwoLines.size()) - static_cast<long long>(g - q + 1);
        } else {
            p = static_cast<long long>(q) + delta;
        }
    }
    if (copied == 0) return;
    out.append(t, copied, npos);
    t.swap(out);
}

// Deletes every tag: from a "<" through the next ">" after it. A "<" with no
// ">" after it ends the deletion and the rest of the text stays.
void DropTags(std::string& t) {
    std::size_t w = 0, i = 0;
    const std::size_t n = t.size();
    char* d = t.data();
    while (i < n) {
        const void* lt = std::memchr(d + i, '<', n - i);
        const std::size_t a = lt ? static_cast<std::size_t>(static_cast<const char*>(lt) - d) : n;
        if (a > i) std::memmove(d + w, d + i, a - i);
        w += a - i;
        if (a == n) break;
        const void* gt = std::memchr(d + a + 1, '>', n - a - 1);
        if (!gt) {
            std::memmove(d + w, d + a, n - a);
            w += n - a;
            break;
        }
        i = static_cast<std::size_t>(static_cast<const char*>(gt) - d) + 1;
    }
    t.resize(w);
}

struct References {
    std::unordered_map<std::string_view, std::string_view> named;  // exact names
    References() {
        static const char* const table[][2] = {
            {"aacute", "\xE1"}, {"Aacute", "\xC1"}, {"acirc", "\xE2"}, {"Acirc", "\xC2"},
            {"agrave", "\xE0"}, {"Agrave", "\xC0"}, {"aring", "\xE5"}, {"Aring", "\xC5"},
            {"atilde", "\xE3"}, {"Atilde", "\xC3"}, {"auml", "\xE4"}, {"Auml", "\xC4"},
            {"aelig", "\xE6"}, {"AElig", "\xC6"}, {"ccedil", "\xE7"}, {"Ccedil", "\xC7"},
            {"eth", "\xF0"}, {"ETH", "\xD0"}, {"eacute", "\xE9"}, {"Eacute", "\xC9"},
            {"ecirc", "\xEA"}, {"Ecirc", "\xCA"}, {"egrave", "\xE8"}, {"Egrave", "\xC8"},
            {"euml", "\xEB"}, {"Euml", "\xCB"}, {"iacute", "\xED"}, {"Iacute", "\xCD"},
            {"icirc", "\xEE"}, {"Icirc", "\xCE"}, {"igrave", "\xEC"}, {"Igrave", "\xCC"},
            {"iuml", "\xEF"}, {"Iuml", "\xCF"}, {"ntilde", "\xF1"}, {"Ntilde", "\xD1"},
            {"oacute", "\xF3"}, {"Oacute", "\xD3"}, {"ocirc", "\xF4"}, {"Ocirc", "\xD4"},
            {"ograve", "\xF2"}, {"Ograve", "\xD2"}, {"oslash", "\xF8"}, {"Oslash", "\xD8"},
            {"otilde", "\xF5"}, {"Otilde", "\xD5"}, {"ouml", "\xF6"}, {"Ouml", "\xD6"},
            {"szlig", "\xDF"}, {"thorn", "\xFE"}, {"THORN", "\xDE"}, {"uacute", "\xFA"},
            {"Uacute", "\xDA"}, {"ucirc", "\xFB"}, {"Ucirc", "\xDB"}, {"ugrave", "\xF9"},
            {"Ugrave", "\xD9"}, {"uuml", "\xFC"}, {"Uuml", "\xDC"}, {"yacute", "\xFD"},
            {"Yacute", "\xDD"}, {"yuml", "\xFF"}};
        for (const auto& e : table) named.emplace(e[0], e[1]);
    }
};

// The references of the finishing steps, in one pass: "&#160;", "&nbsp;",
// "&#8226;" and "&copy;" in any letter case, then the named letters exactly.
// Each reference runs from "&" to ";" with neither inside, and no
// replacement writes "&", ";" or a name character, so the rows cannot
// interact and one pass gives what the rows give one after the other.
void ReplaceReferences(std::string& t) {
    static const References refs;
    static const std::string_view caseless[][2] = {
        {"#160", " "}, {"nbsp", " "}, {"#8226", "\x95 "}, {"copy", "\xA9"}};
    constexpr std::size_t kLongest = 6;  // longest name
    std::size_t amp = t.find('&');
    if (amp == npos) return;
    std::string out;
    std::size_t copied = 0;
    while (amp != npos) {
        std::string_view with;
        // The ";" is looked for only as far as the longest name reaches, so
        // a text full of "&" without ";" costs one look per "&".
        const std::size_t reach = std::min(t.size() - amp - 1, kLongest + 1);
        const void* semi = std::memchr(t.data() + amp + 1, ';', reach);
        const std::size_t end = semi ? static_cast<std::size_t>(static_cast<const char*>(semi) - t.data()) : npos;
        std::size_t len = 0;
        if (end != npos) {
            const std::string_view name(t.data() + amp + 1, end - amp - 1);
            for (const auto& c : caseless)
                if (EqualsNoCase(name, c[0])) with = c[1];
            if (with.empty()) {
                auto it = refs.named.find(name);
                if (it != refs.named.end()) with = it->second;
            }
            len = end - amp + 1;
        }
        if (!with.empty()) {
            if (out.empty()) out.reserve(t.size());
            out.append(t, copied, amp - copied);
            out.append(with);
            copied = amp + len;
            amp = t.find('&', copied);
        } else {
            amp = t.find('&', amp + 1);
        }
    }
    if (copied == 0) return;
    out.append(t, copied, npos);
    t.swap(out);
}

void Finish(std::string& t) {
    rows::ReplaceAll(t, "\r\n ", kCrLf, true);
    std::size_t n = t.size();
    while (n >= 4 && std::string_view(t.data() + n - 4, 4) == kTwoLines) n -= 4;
    t.resize(n);
    std::size_t lead = 0;
    while (lead < t.size() && t[lead] == ' ') ++lead;
    if (lead) t.erase(0, lead);
    ReplaceReferences(t);
}

std::string Convert(State& s, std::string& t) {
    if (t.find('<') == npos || t.find('>') == npos) return Decode(s, t);

    const std::size_t head = Find(t, "</head>", 0, false);
    if (head != npos) t.erase(0, head + 7);
    DropStyles(t);
    DropControls(t);

    const std::size_t lt = t.find('<');
    if (lt == npos) {
        t.clear();
        return {};
    }
    const std::size_t gt = t.rfind('>');
    if (gt == npos || gt < lt) {
        // No complete tag is left: nothing lies between a first and a last tag.
        t.clear();
        return {};
    }
    if (gt + 1 < t.size()) t.resize(gt + 1);
    if (lt) t.erase(0, lt);

    CollapseSpaces(t);
    rows::ReplaceAll(t, "> <", "><", true);
    CloseParagraphs(t);

    static const std::string_view blocks[][2] = {
        {"</p>", kTwoLines}, {"<br>", kCrLf},   {"<br />", kCrLf},
        {"</li>", kCrLf},    {"</div>", kCrLf}, {"</td>", " "},
        {"</tr>", kCrLf},    {"</h", "\r\n</h"}, {"</span>", "</span> "}};
    for (const auto& b : blocks) rows::ReplaceAll(t, b[0], b[1], false);

    DropTags(t);
    Finish(t);
    return t;
}

}  // namespace

std::string HTMLProcessing(State& s, std::string& text) {
    try {
        return Convert(s, text);
    } catch (const Fault& f) {
        EndOnFault(s, "HTMLProcessing", f);
    } catch (const std::bad_alloc&) {
        EndOnFault(s, "HTMLProcessing", Fault(faults::kOutOfMemory));
    }
}

}  // namespace pelicard
