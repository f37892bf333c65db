// Writes a small Outlook Express folder file with deleted messages and one
// kind of damage, for comparing recovery counts with other tools:
//
//   dbx_damaged OUTPUT.dbx intact|entete|racine|coupe70 [MESSAGES=400] [DELETED=40] [SEED=14]
//
// The messages are written in order; DELETED of them are then deleted as the
// client does (their blocks freed), and a quarter as many live messages
// is written afterwards into freed blocks, so some deleted chains are partly
// reused. "entete" wipes the header, "racine" zeroes the tree root, "coupe70"
// cuts the file at 70 % of its length.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/dbx_builder.hpp"

using namespace pelicard::testing;

namespace {

const char* const kWords[] = {"r\xE9union", "projet", "semaine", "bureau", "\xE9quipe", "dossier", "merci",
                              "bient\xF4t", "cordialement", "compte", "rendu", "d\xE9j\xE0", "tr\xE8s", "facture",
                              "demain", "matin", "salle", "le", "la", "et", "pour", "avec", "dans"};

std::string Message(std::mt19937& rng, std::size_t n, std::string& subject, std::string& id) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "<2009%06zu.%04x@exemple.example>", n, static_cast<unsigned>(rng() & 0xFFFF));
    id = buf;
    subject = "Sujet " + std::to_string(n % 97) + " n\xB0" + std::to_string(n);
    std::snprintf(buf, sizeof buf, "Date: Mon, %u Mar 2009 %02u:%02u:00 +0100\r\n", 1 + static_cast<unsigned>(n % 28),
                  static_cast<unsigned>(8 + n % 10), static_cast<unsigned>(n % 60));
    std::string t = "From: Personne " + std::to_string(n % 13) + " <p" + std::to_string(n % 13) +
                    "@exemple.example>\r\nTo: moi@exemple.example\r\nSubject: " + subject + "\r\n" + buf +
                    "Message-ID: " + id + "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=\"iso-8859-1\"\r\n\r\n";
    std::geometric_distribution<int> lines(1.0 / 40);
    const int k = 3 + lines(rng);
    for (int l = 0; l < k; ++l) {
        for (int w = 0; w < 10; ++w) t += std::string(kWords[rng() % std::size(kWords)]) + ' ';
        t += "\r\n";
    }
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: dbx_damaged OUTPUT.dbx intact|entete|racine|coupe70 [MESSAGES] [DELETED] [SEED]\n");
        return 2;
    }
    const std::string mode = argv[2];
    const std::size_t live = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 400;
    const std::size_t deleted = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 40;
    std::mt19937 rng(argc > 5 ? static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10)) : 14u);

    DbxBuilder b;
    const std::size_t late = deleted / 4;  // written after the deletions
    const std::size_t early = live - late + deleted;
    std::vector<std::uint32_t> records, texts;
    std::vector<bool> isDeleted(early, false);
    for (std::size_t k = 0; k < deleted; ++k) isDeleted[(k * early) / deleted + (k % 3)] = true;
    auto fields = [&](std::size_t n, const std::string& subject, const std::string& id) {
        DbxMessage m;
        m.subject = subject;
        m.convSubject = subject;
        m.ownId = id;
        m.sender = "Personne " + std::to_string(n % 13);
        m.filetime = FileTimeUtc(2009, 3, 1 + static_cast<int>(n % 28), 8, 0, 0);
        return m;
    };
    // The client keeps its objects on 4-byte boundaries.
    auto align = [&b] {
        if (b.Size() % 4 != 0) b.AddRaw(std::string(4 - b.Size() % 4, '\0'));
    };
    std::vector<std::uint32_t> deletedTexts;
    for (std::size_t n = 0; n < early; ++n) {
        std::string subject, id;
        const std::string text = Message(rng, n, subject, id);
        align();
        const std::uint32_t at = b.AddText(text);
        const std::uint32_t rec = b.AddRecord(DbxBuilder::Attributes(fields(n, subject, id), at));
        if (isDeleted[n])
            deletedTexts.push_back(at);
        else
            records.push_back(rec);
    }
    for (std::uint32_t at : deletedTexts) b.FreeText(at);
    for (std::size_t n = early; n < early + late; ++n) {
        std::string subject, id;
        const std::string text = Message(rng, n, subject, id);
        align();
        const std::uint32_t at = b.AddTextReusing(text);
        records.push_back(b.AddRecord(DbxBuilder::Attributes(fields(n, subject, id), at)));
    }
    const std::uint32_t root = b.AddTree(records);
    b.Finish(static_cast<std::uint32_t>(records.size()), root);
    if (mode == "entete")
        b.Patch(0, std::string(kDbxHeaderSize, '\0'));
    else if (mode == "racine")
        b.Patch(0xE4, Le32(0));
    else if (mode == "coupe70")
        b.Cut(static_cast<std::uint32_t>(b.Size() * 7ull / 10));
    else if (mode != "intact")
        return std::fprintf(stderr, "unknown damage %s\n", mode.c_str()), 2;
    b.WriteTo(argv[1]);
    std::printf("%zu live, %zu deleted, %u bytes\n", records.size(), deletedTexts.size(), b.Size());
    return 0;
}
