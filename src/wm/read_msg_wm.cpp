#include "wm/read_msg_wm.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/byte_file.hpp"
#include "common/fault.hpp"
#include "common/large_pages.hpp"
#include "common/report.hpp"
#include "common/system_fault.hpp"
#include "common/text.hpp"
#include "content/attachments.hpp"
#include "content/base64.hpp"
#include "content/charsets.hpp"
#include "content/decode.hpp"
#include "content/full_decode.hpp"
#include "content/html.hpp"
#include "content/mime.hpp"
#include "dbx/dates.hpp"
#include "wm/dates.hpp"
#include "wm/files_ahead.hpp"

namespace pelicard {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kEmptyLine = "\r\n\r\n";
constexpr std::size_t kFilesBetweenLooks = 200;

enum class BodyKind { Plain, Html, Multipart };

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && EqualsNoCase(s.substr(s.size() - tail.size()), tail);
}

std::string WithoutSpaces(std::string v) {
    v.erase(std::remove(v.begin(), v.end(), ' '), v.end());
    return v;
}

// The delimiter named by the "boundary" parameter of a multipart header;
// empty when the header has no ";" after "Content-Type:" or no "boundary"
// after it.
std::string HeaderBoundary(const std::string& h, std::size_t semicolon) {
    if (semicolon == npos) return {};
    std::size_t b = FindNoCase(h, "boundary", semicolon);
    if (b == npos) return {};
    std::size_t from = b + 8;
    std::size_t e = FindExact(h, kCrLf, from);
    std::string v = h.substr(from, e == npos ? npos : e - from);
    v.erase(std::remove(v.begin(), v.end(), '"'), v.end());
    v = TrimLeftSpaces(v);
    if (!v.empty() && v[0] == '=') v.erase(0, 1);
    return "--" + TrimLeftSpaces(v);
}


// A file whose first line ends with LF alone gets CR LF at every bare LF.
bool NormalizeLineEndsWM(std::string& text) {
    std::size_t lf = text.find('\n');
    if (lf == npos || (lf > 0 && text[lf - 1] == '\r')) return false;
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
        out.push_back(text[i]);
    }
    text.swap(out);
    return true;
}

// The closing tidy of a body: CR CR LF back to CR LF (the character repair
// turns each CR LF into CR CR LF, and a protected web address ends in a CR
// followed by the repaired rest), as the Outlook Express reading does; then
// one space less before each line end, runs of empty lines, leading and
// trailing line breaks.
void TidyLinesWM(std::string& b) {
    ReplaceExactInPlace(b, "\r\r\n", "\r\n");
    ReplaceExactInPlace(b, " \r\n", "\r\n");
    if (FindExact(b, "\r\n\r\n\r\n") != npos) {
        // Every run of three or more line breaks becomes two.
        std::string out;
        out.reserve(b.size());
        for (std::size_t i = 0; i < b.size();) {
            if (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n') {
                std::size_t j = i, pairs = 0;
                while (j + 1 < b.size() && b[j] == '\r' && b[j + 1] == '\n') {
                    j += 2;
                    ++pairs;
                }
                for (std::size_t k = 0; k < std::min<std::size_t>(pairs, 2); ++k) out += kCrLf;
                i = j;
            } else {
                out.push_back(b[i++]);
            }
        }
        b.swap(out);
    }
    std::size_t lead = 0;
    while (b.compare(lead, 2, kCrLf) == 0) lead += 2;
    if (lead) b.erase(0, lead);
    while (b.size() >= 2 && b.compare(b.size() - 2, 2, kCrLf) == 0) b.resize(b.size() - 2);
    if (!b.empty() && b.back() == '\r') b.pop_back();
}

}  // namespace

std::string DecodeWords(std::string value) {
    std::string_view tag = "=?iso-8859-1?Q?";
    if (FindNoCase(value, tag) == npos) {
        tag = "=?UTF-8?Q?";
        if (FindNoCase(value, tag) == npos) return value;
    }
    ReplaceNoCaseInPlace(value, tag, "");
    value = TrimSpaces(value);
    ReplaceExactInPlace(value, "?=", "");
    std::replace(value.begin(), value.end(), '_', ' ');
    return value;
}

std::string ExtracItem(State& s, std::string_view key) {
    try {
        const std::string& h = s.texts.HeaderText;
        std::size_t start;
        if (StartsWithNoCase(h, key)) {
            start = key.size() + 1;  // the character after the colon is skipped
        } else {
            std::string line(kCrLf);
            line += key;
            std::size_t p = FindNoCase(h, line);
            if (p == npos) return {};
            start = p + line.size() + 1;
        }
        if (start >= h.size()) return {};
        std::size_t e = FindExact(h, kCrLf, start);
        return TrimSpaces(std::string_view(h).substr(start, e == npos ? npos : e - start));
    } catch (const Fault& f) {
        ShowFault(s, "ExtracItem", f);
        return {};
    }
}

void ProcessMessageWM(State& s, std::string text, WmMessageEntry& e) {
    WorkingTexts& tx = s.texts;
    NormalizeLineEndsWM(text);

    // 1. Nothing after the first attachment is read.
    Attached(s, text);

    // 2. Header and body; a text without an empty line is all header.
    std::size_t p = FindExact(text, kEmptyLine);
    if (p == npos) {
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, kCrLf) == 0) text.resize(text.size() - 2);
        tx.HeaderText = std::move(text);
        tx.BodyText.clear();
    } else {
        // The body takes over the file's buffer: a large message is held once.
        tx.HeaderText.assign(text, 0, p);
        text.erase(0, p + 4);
        tx.BodyText = std::move(text);
    }
    const std::string& header = tx.HeaderText;
    std::string& body = tx.BodyText;

    // 3, 4. Sender and subject, decoded with the IsUtf8 left by the last message.
    // The complete decoding takes the folded value and works in UTF-8.
    const bool full = s.content.FullDecoding;
    if (std::string raw = full ? UnfoldedField(header, "From:") : std::string(); WantsFullDecoding(raw))
        e.Sender = FromUtf8(TrimSpaces(DecodeHeaderValue(raw)), e.SenderU8);
    else
        e.Sender = TrimSpaces(Decode(s, DecodeWords(ExtracItem(s, "From:"))));
    std::string raw = full ? UnfoldedField(header, "Subject:") : std::string();
    const bool fullSubject = WantsFullDecoding(raw);
    std::string v = fullSubject ? DecodeHeaderValue(raw) : DecodeWords(ExtracItem(s, "Subject:"));
    ReplaceNoCaseInPlace(v, "Re: ", "");
    ReplaceExactInPlace(v, "\n", "");
    ReplaceExactInPlace(v, "\r", "");
    if (fullSubject)
        e.Subject = FromUtf8(TrimSpaces(v), e.SubjectU8);
    else
        e.Subject = TrimSpaces(Decode(s, std::move(v)));
    if (e.Subject.empty()) e.Subject = kNoSubjectWM;

    // 5. Date.
    e.DateText = MsgTime(s, ExtracItem(s, "Date:"));
    e.DateKey = DateSort(s, e.DateText);

    // 6. Identifiers.
    e.ThreadKey = WithoutSpaces(ExtracItem(s, "Message-ID:"));
    e.References = WithoutSpaces(ExtracItem(s, "References:"));

    // 7. Classification. A multipart header without ";" or "boundary" is
    // read as plain text.
    BodyKind kind = BodyKind::Plain;
    std::string boundary;
    std::size_t k = FindNoCase(header, "Content-Type:");
    if (k != npos) {
        std::size_t semicolon = FindExact(header, ";", k);
        std::string_view type = std::string_view(header).substr(std::min(header.size(), k + 14), 9);
        if (EqualsNoCase(type, "text/html")) {
            kind = BodyKind::Html;
        } else if (EqualsNoCase(type, "multipart")) {
            boundary = HeaderBoundary(header, semicolon);
            if (!boundary.empty()) kind = BodyKind::Multipart;
        }
        tx.IsUtf8 = FindNoCase(header, "utf-8") != npos;
    }

    // The complete decoding reads the whole text again by the standards.
    if (full) {
        std::string whole = header;
        whole.append(kEmptyLine).append(body);
        if (FullBody(s, whole, body, e.BodyU8, TidyLinesWM)) {
            e.Body = std::move(body);
            body.clear();
            return;
        }
    }

    // 8, 9.
    const bool isBase64 = FindNoCase(body, ": base64") != npos || FindNoCase(header, ": base64") != npos;
    RemoveMailLinks(body);

    // 10. By kind.
    if (kind == BodyKind::Plain) {
        ReplaceNoCaseInPlace(body, "=0D=\r\n=0A", kCrLf);
        ReplaceNoCaseInPlace(body, "=0D=0A", kCrLf);
        ReplaceNoCaseInPlace(body, "=0A", kCrLf);
        if (isBase64) {
            std::string t = Base64Decode(body);
            if (!t.empty()) body.swap(t);
        }
    } else if (kind == BodyKind::Html) {
        ReplaceNoCaseInPlace(body, "=0D0A\r\n", "");
        ReplaceNoCaseInPlace(body, "=20\r\n\r\n", " ");
        body = HTMLProcessing(s, body);
    } else if (std::size_t t = FindNoCase(body, "text/"); t != npos) {
        std::string subtype = body.substr(t + 5, 4);
        // The delimiter as the body writes it, after a preamble.
        std::size_t r = t >= 4 ? body.rfind(kEmptyLine, t - 4) : npos;
        if (r != npos) {
            std::size_t ls = r + 4, le = FindExact(body, kCrLf, ls);
            boundary = body.substr(ls, le == npos ? npos : le - ls);
        }
        // The part's content starts after its own header; a part without one
        // has no content.
        std::size_t partHeaderEnd = FindExact(body, kEmptyLine, t + 5);
        std::size_t a = partHeaderEnd == npos ? body.size() : partHeaderEnd + 4;
        tx.IsUtf8 = FindNoCase(body, "utf-8") != npos;
        std::size_t d = FindNoCase(body, boundary, a);
        if (d == npos || d <= a + 3)
            body.erase(0, a);
        else
            body = body.substr(a, d - a - 2);
        if (EqualsNoCase(subtype, "plai")) {
            if (isBase64) body = Base64Decode(body);
        } else if (EqualsNoCase(subtype, "html")) {
            if (isBase64) body = Base64Decode(body);
            body = HTMLProcessing(s, body);
        } else {
            ShowMessage(s, "Ne contient pas de texte");
        }
    }

    // 11, 12, 13.
    body = DecodeProtectingAddress(s, std::move(body));
    TidyLinesWM(body);
    // Showing a message copies its entry's body back into the working text.
    e.Body = std::move(body);
    body.clear();
}

std::vector<std::string> ListMessageFilesWM(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    if (ec) throw SystemFault("Impossible de lire le dossier", folder, ec.value());
    // A link is taken only when it leads to a regular file of this folder:
    // one leading out of it (leak.eml -> ../secret.txt) is never read.
    std::string inside;
    auto insideFolder = [&](const fs::path& p) {
        std::error_code cec;
        if (inside.empty()) inside = fs::canonical(folder, cec).string() + "/";
        const std::string target = fs::canonical(p, cec).string();
        return !cec && target.size() > inside.size() && target.compare(0, inside.size(), inside) == 0 &&
               target.find('/', inside.size()) == std::string::npos;
    };
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!EndsWithNoCase(name, ".eml") && !EndsWithNoCase(name, ".nws")) continue;
        // The type comes with the directory listing: only a link is looked
        // up, to see where it leads.
        std::error_code fec;
        if (it->is_symlink(fec)) {
            if (!it->is_regular_file(fec) || !insideFolder(it->path())) continue;
        } else if (!it->is_regular_file(fec)) {
            continue;  // a FIFO, a device or a folder is never opened
        }
        names.push_back(std::move(name));
    }
    if (ec) throw SystemFault("Impossible de lire le dossier", folder, ec.value());
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadMsgWM(State& s, const std::string& folder) {
    s.list.Mode = StoreMode::WindowsMail;
    s.wm.WmFileCount = 0;
    std::vector<std::string> names;
    try {
        names = ListMessageFilesWM(folder);
    } catch (const Fault& f) {
        ShowFault(s, "ReadMsgWM", f);
        return false;
    }
    std::vector<WmMessageEntry> table(1);
    table.reserve(names.size() + 1);
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/') prefix += '/';
    for (std::string& name : names) name.insert(0, prefix);
    FilesAhead files(names);
    // Each message keeps its decoded texts: some 5 KB of new memory per file.
    LargeHeapPages heap;
    std::string bytes;
    std::size_t done = 0;
    for (const std::string& path : names) {
        heap.Follow();
        // The window runs now and then; a stop asked there ends the scan.
        if (++done % kFilesBetweenLooks == 0) {
            s.window->DoEvents();
            if (s.CancelRequested) return false;
        }
        WmMessageEntry entry;
        entry.FilePath = path;
        try {
            if (!files.Take(bytes)) continue;
            ProcessMessageWM(s, std::move(bytes), entry);
        } catch (const Fault& f) {
            // One unreadable file is told and left out; the scan goes on.
            ShowFault(s, "ReadMsgWM", f);
            continue;
        } catch (const std::bad_alloc&) {
            ShowFault(s, "ReadMsgWM", Fault(faults::kOutOfMemory));
            continue;
        }
        table.push_back(std::move(entry));
    }
    s.wm.WmFileCount = static_cast<std::int32_t>(table.size() - 1);
    if (s.wm.WmFileCount == 0) {
        ShowMessage(s, "Le dossier choisi ne contient pas de message valide", MsgIcon::Information);
        return false;
    }
    s.list.Wm.swap(table);
    return true;
}

}  // namespace pelicard
