// Writes an Outlook Express folder file of many messages for the benchmarks:
// French mail with realistic headers and bodies of varied length, replies
// that quote references to earlier messages (some of them absent), a few
// messages without stored text, some text chains whose blocks interleave.
//
//   dbx_gen OUTPUT.dbx [MESSAGES=100000] [MEAN_BODY_BYTES=4600] [SEED=7]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/dbx_builder.hpp"

using namespace pelicard::testing;

namespace {

const char* const kTopics[] = {
    "R\xE9union de lundi", "Compte rendu du comit\xE9", "Facture n\xB0 ", "Vacances d'\xE9t\xE9",
    "D\xE9m\xE9nagement du bureau", "Programme du s\xE9minaire", "Relev\xE9 de compte", "Probl\xE8me d'impression",
    "Inscription \xE0 l'atelier", "\x8C" "uvres \xE0 exposer", "Menu de la cantine", "Pr\xEAt du vid\xE9oprojecteur",
    "R\xE9p\xE9tition de la chorale", "Dossier \xE0 compl\xE9ter", "Photos de la f\xEAte", "Rendez-vous chez le m\xE9" "decin"};
const char* const kNames[] = {"Jean Dupont", "Zo\xE9 Garnier", "H\xE9l\xE8ne B\xE9rard", "Lo\xEF" "c Fabre",
                              "Ma\xEBlle Leroy", "Agn\xE8s C\x9C" "ur", "Jo\xEBl No\xEBl", "Fran\xE7ois Mercier",
                              "Th\xE9r\xE8se Dubois", "C\xE9" "dric Lef\xE8vre", "Am\xE9lie Poulain", "B\xE9n\xE9" "dicte Ch\xE2telain"};
const char* const kWords[] = {
    "le", "la", "les", "un", "une", "des", "et", "mais", "donc", "pour", "avec", "sans", "dans", "sur", "r\xE9union",
    "projet", "semaine", "prochaine", "bureau", "\xE9quipe", "dossier", "r\xE9ponse", "question", "merci", "bient\xF4t",
    "cordialement", "pr\xE9vu", "compte", "rendu", "\xE9t\xE9", "d\xE9j\xE0", "tr\xE8s", "fa\xE7on", "ann\xE9" "e",
    "janvier", "f\xE9vrier", "d\xE9" "cembre", "no\xEBl", "c\x9C" "ur", "\x9C" "uvre", "facture", "montant", "\x80",
    "envoyer", "recevoir", "pi\xE8" "ce", "jointe", "rappel", "demain", "matin", "apr\xE8s-midi", "salle"};

std::string Words(std::mt19937& rng, std::size_t bytes) {
    std::string out;
    out.reserve(bytes + 80);
    std::size_t line = 0;
    while (out.size() < bytes) {
        const char* w = kWords[rng() % std::size(kWords)];
        out += w;
        line += std::char_traits<char>::length(w) + 1;
        if (line > 70) {
            out += rng() % 6 == 0 ? ".\r\n\r\n" : "\r\n";
            line = 0;
        } else {
            out += ' ';
        }
    }
    return out;
}

std::string Id(std::size_t n, std::mt19937& rng) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "<2007%08zu.%06zu.%04x@exemple.example>", n, n, static_cast<unsigned>(rng() & 0xFFFF));
    return buf;
}

}  // namespace

// `text` (a header and a plain body) as a multipart message whose second
// part is a file of 8 to 40 KB, base64 in lines of 76.
static std::string WithAttachment(const std::string& text, std::size_t n) {
    const std::size_t split = text.find("\r\n\r\n");
    std::string header = text.substr(0, split + 2);
    const std::size_t ct = header.find("Content-Type:");
    header.erase(ct);
    header += "Content-Type: multipart/mixed; boundary=\"=_pj\"\r\n\r\n";
    std::string out = header + "--=_pj\r\nContent-Type: text/plain; charset=\"iso-8859-1\"\r\n"
                               "Content-Transfer-Encoding: 8bit\r\n\r\n" + text.substr(split + 4) +
                      "\r\n--=_pj\r\nContent-Type: image/jpeg; name=\"photo_" + std::to_string(n) +
                      ".jpg\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
                      "filename=\"photo_" + std::to_string(n) + ".jpg\"\r\n\r\n";
    static const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::size_t chars = (8 * 1024 + (n * 7919) % (32 * 1024)) / 3 * 4;
    for (std::size_t i = 0; i < chars; ++i) {
        out += kB64[(i * 31 + n) % 64];
        if (i % 76 == 75) out += "\r\n";
    }
    return out + "\r\n--=_pj--\r\n";
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dbx_gen OUTPUT.dbx [MESSAGES] [MEAN_BODY_BYTES] [SEED]\n");
        return 2;
    }
    const std::size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100000;
    const std::size_t meanBody = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 4600;
    std::mt19937 rng(argc > 4 ? static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)) : 7u);

    // With DBX_GEN_ATTACHMENTS=N, one message in N carries a base64
    // attachment after its text (the other messages stay as without it).
    const char* every = std::getenv("DBX_GEN_ATTACHMENTS");
    const std::size_t attachEvery = every ? std::strtoul(every, nullptr, 10) : 0;
    DbxBuilder b(argv[1]);
    std::vector<std::uint32_t> records;
    std::vector<std::string> ids, subjects, refs;
    records.reserve(count);
    std::exponential_distribution<double> bodyLength(1.0 / static_cast<double>(meanBody));
    std::uint64_t ft = FileTimeUtc(2004, 1, 1, 8, 0, 0);
    std::string pendingText;  // a text waiting to be interleaved with the next one
    DbxMessage pending;
    for (std::size_t n = 0; n < count; ++n) {
        DbxMessage m;
        std::string subject = kTopics[rng() % std::size(kTopics)];
        if (subject.back() == ' ') subject += std::to_string(rng() % 10000);
        std::string references;
        std::string prefix;
        // About 40 % answer an earlier message, one in ten of them a message not in the file.
        if (n > 0 && rng() % 10 < 4) {
            const std::size_t parent = n - 1 - rng() % std::min<std::size_t>(n, 400);
            subject = subjects[parent];
            references = refs[parent].empty() ? ids[parent] : refs[parent] + " " + ids[parent];
            if (rng() % 10 == 0) references = Id(count + n, rng) + " " + references;
            prefix = rng() % 3 == 0 ? "RE: " : rng() % 2 ? "Re: " : "TR: ";
        }
        ids.push_back(Id(n, rng));
        subjects.push_back(subject);
        refs.push_back(references);
        ft += 10000000ULL * (60 + rng() % 7200);
        const std::string sender = kNames[rng() % std::size(kNames)];

        m.subject = prefix + subject;
        m.convSubject = subject;
        m.ownId = ids.back();
        if (!references.empty()) m.references = references;
        m.sender = sender;
        m.filetime = ft;
        m.directTextPosition = rng() % 3 == 0;
        std::string header = "Return-Path: <expediteur@exemple.example>\r\n"
                             "Received: from mail.exemple.example by pop.exemple.example; Mon, 5 Mar 2007 14:07:09 +0100\r\n"
                             "From: \"" + sender + "\" <expediteur@exemple.example>\r\n"
                             "To: <destinataire@exemple.example>\r\n"
                             "Subject: " + *m.subject + "\r\n"
                             "Date: Mon, 5 Mar 2007 14:07:09 +0100\r\n"
                             "Message-ID: " + ids.back() + "\r\n" +
                             (references.empty() ? "" : "References: " + references + "\r\n") +
                             "MIME-Version: 1.0\r\n"
                             "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
                             "Content-Transfer-Encoding: 8bit\r\n\r\n";
        std::string text = header + Words(rng, 200 + static_cast<std::size_t>(bodyLength(rng)));
        if (attachEvery != 0 && n % attachEvery == 0) text = WithAttachment(text, n);
        if (rng() % 200 == 0) {  // a message whose text is not stored
            records.push_back(b.AddRecord(DbxBuilder::Attributes(m, 0)));
            continue;
        }
        if (!pendingText.empty()) {
            const auto [first, second] = b.AddTextsInterleaved(pendingText, text);
            records.push_back(b.AddRecord(DbxBuilder::Attributes(pending, first)));
            records.push_back(b.AddRecord(DbxBuilder::Attributes(m, second)));
            pendingText.clear();
        } else if (rng() % 8 == 0) {
            pendingText = std::move(text);
            pending = m;
        } else {
            records.push_back(b.AddRecord(DbxBuilder::Attributes(m, b.AddText(text))));
        }
    }
    if (!pendingText.empty()) records.push_back(b.AddRecord(DbxBuilder::Attributes(pending, b.AddText(pendingText))));
    const std::uint32_t root = b.AddTree(records);
    b.Finish(static_cast<std::uint32_t>(records.size()), root);
    std::printf("%zu messages, %u bytes\n", records.size(), b.Size());
    return 0;
}
