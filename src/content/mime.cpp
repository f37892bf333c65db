// MIME body extraction: splits the stored message at its first blank line,
// classifies it by the first "Content-Type:" of the header, takes one text
// part of a multipart body, undoes its encodings and tidies the lines.
#include "content/mime.hpp"

#include <algorithm>
#include <new>
#include <string_view>

#include "common/fault.hpp"
#include "common/progress.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "content/base64.hpp"
#include "content/decode.hpp"
#include "content/full_decode.hpp"
#include "content/html.hpp"
#include "dbx/dates.hpp"

namespace pelicard {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kBlankLine = "\r\n\r\n";

enum : std::uint8_t { kPlain = 0, kHtml = 1, kMultipart = 2 };

// 1-based position of `needle` in `hay` searched from 1-based `start`,
// ignoring case; 0 when not found.
std::size_t InStr(std::size_t start, std::string_view hay, std::string_view needle) {
    if (start < 1 || start > hay.size()) return 0;
    std::size_t p = FindNoCase(hay, needle, start - 1);
    return p == npos ? 0 : p + 1;
}

// The characters from 1-based `start`, `len` of them (to the end when npos).
std::string Mid(const std::string& s, std::size_t start, std::size_t len = npos) {
    if (start < 1 || start > s.size()) return {};
    return s.substr(start - 1, len);
}

void TrimLeadingSpaces(std::string& s) {
    std::size_t i = s.find_first_not_of(' ');
    s.erase(0, i == npos ? s.size() : i);
}

// The multipart delimiter of the header, from the "boundary" that follows
// the first ";" after Content-Type. False when the header names none.
bool HeaderBoundary(const std::string& header, std::size_t semicolon, std::string& boundary) {
    if (semicolon == npos) return false;
    std::size_t b = FindNoCase(header, "boundary", semicolon);
    if (b == npos) return false;
    std::size_t e = header.find(kCrLf, b);
    std::string value = header.substr(b + 8, e == npos ? npos : e - b - 8);
    value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
    TrimLeadingSpaces(value);
    if (!value.empty() && value.front() == '=') value.erase(0, 1);
    TrimLeadingSpaces(value);
    boundary = "--" + value;
    return true;
}

// Multipart: the first "text/" part decides; a body without any "text/"
// stays whole.
void TakeFirstTextPart(State& s) {
    ContentState& c = s.content;
    std::string& body = s.texts.BodyText;
    const std::size_t t0 = FindNoCase(body, "text/");
    if (t0 == npos) return;
    c.PartSubtype = body.substr(std::min(t0 + 5, body.size()), 4);

    // The delimiter as the message writes it, after the preamble.
    const std::size_t r = std::string_view(body).substr(0, t0).rfind(kBlankLine);
    if (r != npos) {
        std::size_t lineEnd = body.find(kCrLf, r + 4);
        c.Boundary = body.substr(r + 4, lineEnd == npos ? npos : lineEnd - r - 4);
    }

    const std::size_t a = InStr(t0 + 1 + 5, body, kBlankLine) + 4;  // 1-based
    s.texts.IsUtf8 = FindNoCase(body, "utf-8") != npos;
    const std::size_t next = InStr(a, body, c.Boundary);
    const long long d = static_cast<long long>(next) - 3;
    if (d <= static_cast<long long>(a))
        body = Mid(body, a);
    else
        body = Mid(body, a, static_cast<std::size_t>(d) - a + 1);

    const std::string subtype = FoldCase(c.PartSubtype);
    if (subtype == "plai") {
        if (c.IsBase64) body = Base64Decode(body);
    } else if (subtype == "html") {
        if (c.IsBase64) body = Base64Decode(body);
        std::string converted = HTMLProcessing(s, body);
        body = std::move(converted);
    } else {
        ShowMessage(s, "Ne contient pas de texte");
    }
}

}  // namespace

// Decode over the whole body, except the first web address, which stays as
// written (its "=3D" and the like belong to the address). The address ends
// at the first space or line break after it, so the text that follows it on
// its line is decoded like the rest; the spaces before it stay (Decode would
// trim them away from the text before the address).
std::string DecodeProtectingAddress(State& s, std::string body) {
    const std::size_t h = FindNoCase(body, "http://");
    if (h == npos || h + 7 >= body.size() || static_cast<unsigned char>(body[h + 7]) <= ' ')
        return Decode(s, std::move(body));
    const std::size_t z = std::min(body.find(' ', h), body.find(kCrLf, h));  // npos when neither
    std::string before = body.substr(0, h);
    const std::size_t lastKept = before.find_last_not_of(' ');
    const std::size_t spaces = before.size() - (lastKept == npos ? 0 : lastKept + 1);
    std::string out = Decode(s, std::move(before));
    out.append(spaces, ' ');
    if (z == npos) {
        out.append(body, h, npos);
    } else {
        out.append(body, h, z - h + 1);
        out += Decode(s, body.substr(z + 1));
    }
    return out;
}

namespace {
void RepairCharacters(State& s) { s.texts.BodyText = DecodeProtectingAddress(s, std::move(s.texts.BodyText)); }
}  // namespace

void RemoveMailLinks(std::string& body) {
    constexpr std::string_view kLink = "<mailto";
    constexpr std::size_t kReach = kLink.size() - 1;
    std::size_t m = FindNoCase(body, kLink);
    if (m == npos) return;
    // One pass: the text is out + body[i...], and no link starts inside out.
    // A removal may join the end of out and the rest of the body into a new
    // link, so the seam is looked at after each one.
    std::string out;
    out.reserve(body.size());
    std::size_t i = 0;
    while (m != npos) {
        out.append(body, i, m - i);
        std::size_t g = body.find('>', m);
        if (g == npos) {  // no end: the rest of the body goes
            i = body.size();
            break;
        }
        i = g + 1;
        while (true) {
            const std::size_t tail = std::min(out.size(), kReach);
            std::string seam = out.substr(out.size() - tail);
            seam.append(body, i, kReach);
            const std::size_t a = FindNoCase(seam, kLink);
            if (a == npos || a >= tail) break;
            out.resize(out.size() - tail + a);
            // "<mailto" holds no ">": its end is the next ">" of the body.
            g = body.find('>', i);
            i = g == npos ? body.size() : g + 1;
        }
        m = i < body.size() ? FindNoCase(body, kLink, i) : npos;
    }
    out.append(body, i, npos);
    body.swap(out);
}

void TidyLines(std::string& body) {
    // 1. No spaces at the start of a line.
    if (body.find("\n ") != npos) {
        std::string out;
        out.reserve(body.size());
        bool afterLf = false;
        for (char ch : body) {
            if (afterLf && ch == ' ') continue;
            afterLf = ch == '\n';
            out.push_back(ch);
        }
        body.swap(out);
    }
    // 2. CR CR LF, left by Decode, back to CR LF.
    ReplaceExactInPlace(body, "\r\r\n", "\r\n");
    // 3. At most one empty line in a row: a run of three or more line breaks
    //    becomes two.
    if (body.find("\r\n\r\n\r\n") != npos) {
        std::string out;
        out.reserve(body.size());
        std::size_t i = 0;
        while (i < body.size()) {
            if (body.compare(i, 2, kCrLf) != 0) {
                out.push_back(body[i++]);
                continue;
            }
            std::size_t run = 0;
            while (body.compare(i, 2, kCrLf) == 0) {
                ++run;
                i += 2;
            }
            for (std::size_t k = 0; k < std::min<std::size_t>(run, 2); ++k) out += kCrLf;
        }
        body.swap(out);
    }
    // 4-6. No line break at either end, nor a lone CR at the end.
    std::size_t start = 0;
    while (body.compare(start, 2, kCrLf) == 0) start += 2;
    std::size_t end = body.size();
    while (end >= start + 2 && body.compare(end - 2, 2, kCrLf) == 0) end -= 2;
    if (end > start && body[end - 1] == '\r') --end;
    if (start > 0 || end < body.size()) body = body.substr(start, end - start);
}

void MsgProcessing(State& s, std::int32_t index, OutputMode& mode) {
    try {
        WorkingTexts& t = s.texts;
        ContentState& c = s.content;
        if (index < 1 || index >= static_cast<std::int32_t>(s.list.Oe.size())) throw Fault(faults::kSubscript);
        const MessageEntry& entry = s.list.Oe[index];

        if (s.ops.BatchRunning) AdvanceProgress(s, index);

        // Header and body meet at the first blank line.
        const std::size_t q = t.RawText.find(kBlankLine);
        const std::size_t p = q == npos ? 0 : q + 1;  // 1-based position of its CR
        t.HeaderText = t.RawText.substr(0, std::min(p + 1, t.RawText.size()));
        t.BodyText = Mid(t.RawText, p + 4);

        c.SubjectStart = static_cast<std::int32_t>(InStr(1, t.HeaderText, "Subject:") + 9);
        c.SubjectEnd = static_cast<std::int32_t>(InStr(static_cast<std::size_t>(c.SubjectStart), t.HeaderText, kCrLf));

        t.SubjectLine = "Objet : " + entry.Subject + "\r\n";
        t.DateSenderBlock = DateOE(s, index) + "Exp\xE9" "diteur : " + entry.Sender + "\r\n\r\n";

        // Classify by the first Content-Type of the header.
        c.BodyKind = kPlain;
        const std::size_t k = FindNoCase(t.HeaderText, "Content-Type:");
        if (k != npos) {
            const std::size_t semicolon = t.HeaderText.find(';', k);
            const std::string type = FoldCase(t.HeaderText.substr(std::min(k + 14, t.HeaderText.size()), 9));
            if (type == "text/html") c.BodyKind = kHtml;
            else if (type == "multipart") c.BodyKind = kMultipart;
            t.IsUtf8 = FindNoCase(t.HeaderText, "utf-8") != npos;
            // A multipart header that names no boundary is read as plain text.
            if (c.BodyKind == kMultipart && !HeaderBoundary(t.HeaderText, semicolon, c.Boundary))
                c.BodyKind = kPlain;
        }

        c.IsBase64 = FindNoCase(t.BodyText, ": base64") != npos || FindNoCase(t.HeaderText, ": base64") != npos;

        c.BodyU8.clear();
        const bool full = c.FullDecoding && FullBody(s, t.RawText, t.BodyText, c.BodyU8, TidyLines);
        if (!full) {
            RemoveMailLinks(t.BodyText);

            switch (c.BodyKind) {
                case kPlain:
                    ReplaceNoCaseInPlace(t.BodyText, "=0D=\r\n=0A", "\r\n");
                    ReplaceNoCaseInPlace(t.BodyText, "=0D=0A", "\r\n");
                    ReplaceNoCaseInPlace(t.BodyText, "=0A", "\r\n");
                    if (c.IsBase64) {
                        std::string decoded = Base64Decode(t.BodyText);
                        if (!decoded.empty()) t.BodyText = std::move(decoded);
                    }
                    break;
                case kHtml: {
                    ReplaceExactInPlace(t.BodyText, "=\r\n", "");
                    ReplaceExactInPlace(t.BodyText, "=20\r\n\r\n", " ");
                    std::string converted = HTMLProcessing(s, t.BodyText);
                    t.BodyText = std::move(converted);
                    break;
                }
                default:
                    TakeFirstTextPart(s);
                    break;
            }

            RepairCharacters(s);
            TidyLines(t.BodyText);
        }
        SetCompanions(s, entry.U8.Subject(), entry.Sender, entry.U8.Sender());

        if (mode == kAlone) {
            s.EditorUpdate = true;
            ShowInEditors(s, t.BodyText, entry.Subject);
            s.EditorUpdate = false;
        }
    } catch (const Fault& f) {
        EndOnFault(s, "MsgProcessing", f);
    } catch (const std::bad_alloc&) {
        EndOnFault(s, "MsgProcessing", Fault(faults::kOutOfMemory));
    }
}

}  // namespace pelicard
