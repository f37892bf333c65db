// pelicard-extract liste and affiche: the rows of a store on standard output,
// the summary on standard error; --brut against the manifests and two shown
// messages worked out by hand; every verb's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "cli_run.hpp"
#include "support/dbx_builder.hpp"

namespace fs = std::filesystem;
using namespace pelicard::testing;

namespace {

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception";
const std::string kSent = std::string(PELICARD_SAMPLES) + "/dbx/\xC3\x89l\xC3\xA9ments envoy\xC3\xA9s";

// The SHA-1 of `affiche ID --brut` for IDs 1..n, in ID order.
std::vector<std::string> BrutSha1s(const std::string& dbx, int n) {
    const TempFolder tmp;
    EXPECT_EQ(std::system(("for i in $(seq 1 " + std::to_string(n) + "); do " + PELICARD_CLI + " affiche " + Quote(dbx) +
                           " $i --brut | sha1sum | cut -c1-40; done >" + Quote(tmp.Path() + "/sums")).c_str()), 0);
    return Lines(Slurp(tmp.Path() + "/sums"));
}

TEST(Liste, SampleStoreRowsAndSummary) {
    const CliResult r = RunCli("liste " + Quote(kInbox + ".dbx"));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "57/60 messages complets/contenus dans le fichier Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx\n");
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 57u);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].starts_with(std::to_string(i + 1) + "\t") && Count(lines[i], "\t") == 5) << lines[i];
    // The reply to an absent message keeps its own subject; UTF-8 throughout.
    EXPECT_NE(r.out.find("\tFacture n\xC2\xB0 7979\tJean Dupont\t06/02/2008 18:09:42\t20080206 180942\t<Facture n\xC2\xB0 7979>\n"),
              std::string::npos);
    EXPECT_EQ(Count(RunCli("liste " + Quote(kInbox + ".dbx") + " --json").out, "{\"id\": "), 57u);
}

// Tabs and line breaks inside a field come out as spaces; JSON escapes them.
TEST(Liste, FieldsNeverBreakTheLine) {
    const DbxMessage m{.subject = "Sujet", .convSubject = "Sujet", .ownId = "<a@b>", .references = {}, .sender = "Jean\tDupont\r\n\"Jr\"",
                       .filetime = FileTimeUtc(2007, 3, 5, 13, 7, 9), .text = "Subject: Sujet\r\n\r\nCorps\r\n"};
    const TempFile f(BuildDbx({m}), "test.dbx");
    EXPECT_EQ(RunCli("liste " + Quote(f.path)).out, "1\tSujet\tJean Dupont  \"Jr\"\t05/03/2007 14:07:09\t20070305 140709\t<Sujet>\n");
    EXPECT_EQ(RunCli("liste " + Quote(f.path) + " --json").out, "[\n  " R"({"id": 1, "objet": "Sujet", "emetteur": "Jean\tDupont\r\n\"Jr\"", "date": "05/03/2007 14:07:09", )"
              R"("cle_date": "20070305 140709", "conversation": "<Sujet>"})" "\n]\n");
}

// A list longer than the pieces the rows are formatted in, two at a time:
// every row once, numbered in order, the same rows as lines and as JSON.
TEST(Liste, LongListComesOutWholeAndInOrder) {
    constexpr std::size_t kMessages = 20000;
    std::vector<DbxMessage> messages;
    for (std::size_t k = 0; k < kMessages; ++k) {
        const std::string subject = "Sujet " + std::to_string(k);
        messages.push_back({.subject = subject, .convSubject = subject, .ownId = "<m" + std::to_string(k) + ">",
                            .references = {}, .sender = "Exp\xE9" "diteur", .filetime = FileTimeUtc(2007, 3, 5, 13, 7, 9),
                            .text = "Subject: " + subject + "\r\n\r\nCorps\r\n"});
    }
    const TempFile f(BuildDbx(messages), "long.dbx");
    const CliResult tab = RunCli("liste " + Quote(f.path)), json = RunCli("liste " + Quote(f.path) + " --json");
    ASSERT_EQ(tab.rc, 0) << tab.err;
    const std::vector<std::string> lines = Lines(tab.out), objects = Lines(json.out);
    ASSERT_EQ(lines.size(), kMessages);
    ASSERT_EQ(objects.size(), kMessages + 2);
    EXPECT_EQ(objects.front(), "[");
    EXPECT_EQ(objects.back(), "]");
    std::set<std::string> subjects;
    for (std::size_t i = 0; i < kMessages; ++i) {
        // id, subject, sender, date, date key, conversation
        std::vector<std::string> field;
        for (std::size_t at = 0, tab = 0; tab != std::string::npos; at = tab + 1) {
            tab = lines[i].find('\t', at);
            field.push_back(lines[i].substr(at, tab == std::string::npos ? tab : tab - at));
        }
        ASSERT_EQ(field.size(), 6u) << lines[i];
        ASSERT_EQ(field[0], std::to_string(i + 1));
        subjects.insert(field[1]);
        ASSERT_EQ(objects[i + 1], "  {\"id\": " + field[0] + ", \"objet\": \"" + field[1] + "\", \"emetteur\": \"" + field[2] +
                                      "\", \"date\": \"" + field[3] + "\", \"cle_date\": \"" + field[4] +
                                      "\", \"conversation\": \"" + field[5] + "\"}" + (i + 1 < kMessages ? "," : ""));
    }
    EXPECT_EQ(subjects.size(), kMessages);
    EXPECT_EQ(lines.back().substr(lines.back().find('\t') + 1, 23), "Sujet 9999\tExp\xC3\xA9" "diteur\t");
}

// Every --brut output is a stored text of the manifest, except the messages
// cut before an attachment. Then two inbox messages are shown as the text
// export writes them: a base64 UTF-8 plain text, and a multipart cut before
// its attached PDF (nothing after its last line).
TEST(Affiche, BrutIsTheStoredTextAndShownTextsAreExact) {
    for (const auto& [path, complete, withAttachment] : {std::tuple{kInbox, 57, 7}, std::tuple{kSent, 40, 8}}) {
        SCOPED_TRACE(path);
        const auto sums = BrutSha1s(path + ".dbx", complete);
        ASSERT_EQ(std::set<std::string>(sums.begin(), sums.end()).size(), std::size_t(complete));
        const std::string manifest = Slurp(path + ".json");
        EXPECT_EQ(std::count_if(sums.begin(), sums.end(),
                                [&](const std::string& s) { return manifest.find("\"" + s + "\"") != std::string::npos; }),
                  complete - withAttachment);
    }
    for (const auto& [id, head, tail] : {
             std::tuple{26, "Objet : Prêt du vidéoprojecteur\r\nDate : mercredi 4 juin 2008 09:02\r\n"
                            "Expéditeur : Thérèse Dubois\r\n\r\nNous avons été très touchés",
                        // "Â«" stays: the UTF-8 repair undoes "Ã" pairs and "=C2=" escapes, not a literal "Â".
                        "Â« bourrage papier Â» depuis lundi.\r\n\r\nThérèse Dubois"},
             std::tuple{7, "Objet : Déménagement du bureau\r\nDate : mercredi 21 juin 2006 07:39\r\n"
                           "Expéditeur : Amélie Poulain\r\n\r\nLe comité a décidé",
                        "le rendez-vous de mercredi à 9 h 30 précises."}}) {
        const CliResult r = RunCli("affiche " + Quote(kInbox + ".dbx") + " " + std::to_string(id));
        EXPECT_TRUE(r.rc == 0 && r.err.empty()) << id << r.err;
        EXPECT_TRUE(r.out.starts_with(head) && r.out.ends_with(tail)) << r.out;
    }
}

// No verb writes anything or prints a row when its command line or its file
// is refused: Folders.DBX by name, whatever it holds; a damaged header named.
TEST(Cli, RefusesBadCommandLinesUnknownIdsAndInvalidFiles) {
    const TempFolder tmp;
    EXPECT_EQ(RunCli("liste").rc, 2);
    for (const auto& [verb, rest, rc] : std::vector<std::tuple<std::string, std::string, int>>{
             {"liste", " --xml", 2}, {"liste", " b.dbx", 2}, {"affiche", "", 2}, {"affiche", " 1 2", 2}, {"affiche", " un", 2},
             {"affiche", " 1 --inconnu", 2}, {"affiche", " 0", 1}, {"affiche", " 58", 1}, {"exporte", "", 2},
             {"exporte", " --texte --brut", 2}, {"exporte", " --pdf", 2}, {"exporte", " --texte --par-conversation --par-selection", 2},
             {"exporte", " --texte --ids 3-1", 2}, {"exporte", " --texte --ids 58", 1}, {"exporte", " --texte --ids 1,,2", 2}}) {
        const std::string args = verb + " " + Quote(kInbox + ".dbx") + rest +
                                 (verb == "exporte" ? " --stockage " + Quote(tmp.Path() + "/out") : "");
        const CliResult r = RunCli(args);
        EXPECT_TRUE(r.rc == rc && r.out.empty() && !r.err.empty()) << args << " -> " << r.rc;
    }
    EXPECT_FALSE(fs::exists(tmp.Path() + "/out"));
    for (const auto& [name, bytes, message] :
         {std::tuple{"Folders.DBX", Slurp(kInbox + ".dbx"), "La lecture du fichier Folders.DBX n'est pas autoris\xC3\xA9" "e"},
          std::tuple{"faux.dbx", std::string(0x100, 'x'), " n'est pas un fichier Outlook Express valide "}}) {
        const CliResult r = RunCli("liste " + Quote(tmp.Write(name, bytes)));
        EXPECT_TRUE(r.rc == 1 && r.out.empty()) << name;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
}

}  // namespace
