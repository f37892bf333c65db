// pelicard-extract liste SOURCE [--json]: the rows of the list, in list order.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/commands.hpp"
#include "cli/open_store.hpp"
#include "cli/text_options.hpp"
#include "common/text.hpp"
#include "common/two_threads.hpp"
#include "dbx/recover.hpp"

namespace pelicard::cli {

namespace {

// UTF-8 form of every Windows-1252 byte, worked out once.
struct Utf8Table {
    std::string bytes[256];
    Utf8Table() {
        for (int c = 0; c < 256; ++c) bytes[c] = Cp1252ToUtf8(std::string(1, static_cast<char>(c)));
    }
};

// Windows-1252 bytes that stand for control characters (C0, DEL, and the
// five unassigned bytes, which read as C1 controls): a subject holding them
// could drive the terminal.
bool IsControl(unsigned char u) {
    return u < 0x20 || u == 0x7F || u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D;
}

void AppendEscape(std::string& out, const char* format, unsigned char u) {
    char buf[8];
    std::snprintf(buf, sizeof buf, format, u);
    out += buf;
}

// Appends a field of a tab-separated line: tabs and line breaks become
// spaces, other control characters are written as \xHH.
void AppendField(std::string& out, const std::string& cp1252) {
    static const Utf8Table table;
    const char* p = cp1252.data();
    const char* const end = p + cp1252.size();
    while (p != end) {
        // Printable ASCII goes out as it is, a run at a time.
        const char* run = p;
        while (run != end && static_cast<unsigned char>(*run) >= 0x20 && static_cast<unsigned char>(*run) < 0x7F) ++run;
        out.append(p, run);
        if (run == end) break;
        p = run + 1;
        const char c = *run;
        const auto u = static_cast<unsigned char>(c);
        if (c == '\t' || c == '\r' || c == '\n')
            out += ' ';
        else if (IsControl(u))
            AppendEscape(out, "\\x%02x", u);
        else if (u < 0x80)
            out += c;
        else
            out += table.bytes[u];
    }
}

// A C1 control character written in UTF-8 (U+0080 to U+009F), at `i`.
bool IsUtf8C1(const std::string& utf8, std::size_t i) {
    return static_cast<unsigned char>(utf8[i]) == 0xC2 && i + 1 < utf8.size() &&
           static_cast<unsigned char>(utf8[i + 1]) >= 0x80 && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
}

// A JSON string of a Windows-1252 field, or of its UTF-8 companion when it
// has one; control characters are escaped in both.
std::string JsonString(const std::string& cp1252, const std::string& companion = {}) {
    static const Utf8Table table;
    std::string out = "\"";
    const bool utf8 = !companion.empty();
    const std::string& text = utf8 ? companion : cp1252;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            if (utf8 && IsUtf8C1(text, i)) AppendEscape(out, "\\u%04x", static_cast<unsigned char>(text[++i]));
            else if (utf8) out += c;
            else if (IsControl(u)) AppendEscape(out, "\\u%04x", u);
            else out += table.bytes[u];
            continue;
        }
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (IsControl(u)) {
                    AppendEscape(out, "\\u%04x", u);
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

struct Row {
    const std::string &subject, &sender, &date, &dateKey, &threadKey, &subjectU8, &senderU8;
};

// A field whose UTF-8 companion says more than its core text.
void AppendUtf8Field(std::string& out, const std::string& utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        std::size_t run = i;
        while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) >= 0x20 &&
               static_cast<unsigned char>(utf8[run]) < 0x7F)
            ++run;
        out.append(utf8, i, run - i);
        if (run == utf8.size()) break;
        i = run;
        const char c = utf8[i];
        const auto u = static_cast<unsigned char>(c);
        if (c == '\t' || c == '\r' || c == '\n')
            out += ' ';
        else if (u < 0x20 || u == 0x7F)
            AppendEscape(out, "\\x%02x", u);
        else if (IsUtf8C1(utf8, i))
            AppendEscape(out, "\\u%04x", static_cast<unsigned char>(utf8[++i]));
        else
            out += c;
    }
}

Row RowOf(const State& s, std::size_t i) {
    if (s.list.Mode == StoreMode::WindowsMail) {
        const WmMessageEntry& e = s.list.Wm[i];
        return {e.Subject, e.Sender, e.DateText, e.DateKey, e.ThreadKey, e.SubjectU8, e.SenderU8};
    }
    const MessageEntry& e = s.list.Oe[i];
    return {e.Subject, e.Sender, e.DateText, e.DateKey, e.ThreadKey, e.U8.Subject(), e.U8.Sender()};
}


// Appends the rows [from, to) of the list, as lines or as JSON objects.
void FormatRows(const State& s, std::size_t from, std::size_t to, bool json, bool withState, std::string& out) {
    for (std::size_t i = from; i < to; ++i) {
        const Row r = RowOf(s, i);
        if (json) {
            out += i == 1 ? "\n  " : ",\n  ";
            out += "{\"id\": " + std::to_string(i) + ", \"objet\": " + JsonString(r.subject, r.subjectU8) +
                   ", \"emetteur\": " + JsonString(r.sender, r.senderU8) + ", \"date\": " + JsonString(r.date) +
                   ", \"cle_date\": " + JsonString(r.dateKey) + ", \"conversation\": " + JsonString(r.threadKey);
            if (withState) out += ", \"etat\": " + JsonString(RecoveryStateName(s.list.Oe[i].Recovery));
            out += "}";
        } else {
            out += std::to_string(i);
            for (const std::string* f : {&r.subject, &r.sender, &r.date, &r.dateKey, &r.threadKey}) {
                out += '\t';
                const std::string* u8 = f == &r.subject ? &r.subjectU8 : f == &r.sender ? &r.senderU8 : nullptr;
                if (u8 != nullptr && !u8->empty())
                    AppendUtf8Field(out, *u8);
                else
                    AppendField(out, *f);
            }
            if (withState) {
                out += '\t';
                AppendField(out, RecoveryStateName(s.list.Oe[i].Recovery));
            }
            out += '\n';
        }
    }
}

}  // namespace

int CmdListe(const std::vector<std::string>& argsIn) {
    std::vector<std::string> args = argsIn;
    const TextOptions options = TakeTextOptions(args, false);
    std::optional<std::string> folder;
    if (int rc = TakeFolderOption(args, folder); rc != 0) return rc;
    std::string source;
    bool json = false, recover = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a == "--recuperer") {
            recover = true;
        } else if (a == "--help" || a == "-h") {
            std::cout << "Utilisation : pelicard-extract liste SOURCE [--json] [--recuperer] [--dossier CHEMIN]\n"
                         "                                [--decodage-complet]\n"
                         "  Liste les messages de SOURCE (fichier .dbx, message .eml/.nws ou dossier)\n"
                         "  dans l'ordre des conversations, une ligne par message : ID, objet,\n"
                         "  \xC3\xA9metteur, date, cl\xC3\xA9 de date, cl\xC3\xA9 de conversation, s\xC3\xA9par\xC3\xA9s par des\n"
                         "  tabulations. Avec --json, un tableau JSON d'objets (id, objet, emetteur,\n"
                         "  date, cle_date, conversation). Le r\xC3\xA9sum\xC3\xA9 s'affiche sur la sortie d'erreur.\n"
                         "  Avec --recuperer (fichier .dbx), les messages que l'index n'atteint plus\n"
                         "  (fichier endommag\xC3\xA9) et les messages supprim\xC3\xA9s suivent les messages index\xC3\xA9s ;\n"
                         "  chaque ligne gagne l'\xC3\xA9tat (index\xC3\xA9, r\xC3\xA9" "cup\xC3\xA9r\xC3\xA9 ou supprim\xC3\xA9), cl\xC3\xA9 JSON \"etat\".\n"
                         "  Avec --dossier CHEMIN, SOURCE est un magasin complet et la liste est celle\n"
                         "  de son dossier CHEMIN (voir \xC2\xAB pelicard-extract dossiers \xC2\xBB).\n"
                         "  Avec --decodage-complet, objets et \xC3\xA9" "metteurs d\xC3\xA9" "cod\xC3\xA9" "s selon les normes Internet.\n";
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("option inconnue : " + a);
        } else if (source.empty()) {
            source = a;
        } else {
            return UsageError("argument en trop : " + a);
        }
    }
    if (source.empty()) return UsageError("SOURCE manquante");

    // The session lives until the process ends, and the system takes its
    // memory back at once: freeing the list entry by entry would add a
    // tenth to the listing's time.
    // Under the address sanitizer it is freed at exit all the same, so that
    // the leak check sees no leak.
#if defined(__SANITIZE_ADDRESS__)
    static std::unique_ptr<Session> kept;
    kept = std::make_unique<Session>();
#else
    static Session* kept = nullptr;
    kept = new Session;
#endif
    Session& session = *kept;
    session.recover = recover;
    options.ApplyTo(session.state);
    std::string label;
    if (OpenStoreOrFolder(session, source, folder, label) != 0) return 1;
    const State& s = session.state;
    // The state column exists only for a recovering read of a .dbx file.
    const bool withState = recover && s.list.Mode == StoreMode::OutlookExpress;
    std::cerr << Cp1252ToUtf8(label) << '\n';

    // The rows go out in pieces of a few thousand rows, two at a time, the
    // second formatted on a second thread while this one formats the first:
    // the whole listing is never held, and the output is that of one thread.
    const std::size_t n = static_cast<std::size_t>(s.list.Count);
    constexpr std::size_t kRowsPerPiece = 4096;
    std::string pieces[2];
    if (json) std::fputs("[", stdout);
    for (std::size_t first = 1; first <= n; first += 2 * kRowsPerPiece) {
        const std::size_t bounds[3] = {first, std::min(n + 1, first + kRowsPerPiece),
                                       std::min(n + 1, first + 2 * kRowsPerPiece)};
        ForEachOnTwoThreads(0, 1, n >= 2 * kRowsPerPiece ? 2 : 3, [&](std::int64_t k) {
            // Formatted in a string of the thread's own: the two pieces
            // share a cache line, which both threads would keep writing.
            std::string piece = std::move(pieces[k]);
            piece.clear();
            FormatRows(s, bounds[k], bounds[k + 1], json, withState, piece);
            pieces[k] = std::move(piece);
        });
        for (const std::string& piece : pieces) std::fwrite(piece.data(), 1, piece.size(), stdout);
    }
    if (json) std::fputs(n == 0 ? "]\n" : "\n]\n", stdout);
    return 0;
}

}  // namespace pelicard::cli
