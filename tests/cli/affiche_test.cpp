// pelicard-extract affiche on the sample stores: --brut against the
// manifests and two shown messages worked out by hand; every verb's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "cli_run.hpp"

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

// Every --brut output is a stored text of the manifest, except the messages
// cut before an attachment. Then two inbox messages, found by their raw
// text, are shown as the text export writes them: a base64 UTF-8 plain text,
// and a multipart cut before its attached PDF (nothing after its last line).
TEST(Affiche, BrutIsTheStoredTextAndShownTextsAreExact) {
    std::vector<std::string> inbox;
    for (const auto& [path, complete, withAttachment] : {std::tuple{kInbox, 57, 7}, std::tuple{kSent, 40, 8}}) {
        SCOPED_TRACE(path);
        const auto sums = BrutSha1s(path + ".dbx", complete);
        ASSERT_EQ(std::set<std::string>(sums.begin(), sums.end()).size(), std::size_t(complete));
        const std::string manifest = Slurp(path + ".json");
        EXPECT_EQ(std::count_if(sums.begin(), sums.end(),
                                [&](const std::string& s) { return manifest.find("\"" + s + "\"") != std::string::npos; }),
                  complete - withAttachment);
        if (path == kInbox) inbox = sums;
    }
    for (const auto& [brutSha1, head, tail] : {
             std::tuple{"a92f046ae0d7d14a2a2474bae9ec28e455f6d741",
                        "Objet : Prêt du vidéoprojecteur\r\nDate : mercredi 4 juin 2008 09:02\r\n"
                        "Expéditeur : Thérèse Dubois\r\n\r\nNous avons été très touchés",
                        // "Â«" stays: the UTF-8 repair undoes "Ã" pairs and "=C2=" escapes, not a literal "Â".
                        "Â« bourrage papier Â» depuis lundi.\r\n\r\nThérèse Dubois"},
             std::tuple{"258ec0a4fd31ce475db18c0ff302d1b99b61650d",
                        "Objet : Déménagement du bureau\r\nDate : mercredi 21 juin 2006 07:39\r\n"
                        "Expéditeur : Amélie Poulain\r\n\r\nLe comité a décidé",
                        "le rendez-vous de mercredi à 9 h 30 précises."}}) {
        SCOPED_TRACE(head);
        const auto it = std::find(inbox.begin(), inbox.end(), brutSha1);
        ASSERT_NE(it, inbox.end());
        CliResult r = RunCli("affiche " + Quote(kInbox + ".dbx") + " " + std::to_string(it - inbox.begin() + 1));
        EXPECT_EQ(r.rc, 0);
        EXPECT_TRUE(r.out.starts_with(head)) << r.out;
        EXPECT_TRUE(r.out.ends_with(tail)) << r.out;
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
}

// No verb writes anything or prints a row when its command line is refused.
TEST(Cli, RefusesBadCommandLinesAndUnknownIds) {
    const TempFolder tmp;
    EXPECT_EQ(RunCli("liste").rc, 2);
    for (const auto& [verb, rest, rc] : std::vector<std::tuple<std::string, std::string, int>>{
             {"liste", " --xml", 2}, {"liste", " b.dbx", 2}, {"affiche", "", 2}, {"affiche", " 1 2", 2}, {"affiche", " un", 2},
             {"affiche", " 1 --inconnu", 2}, {"affiche", " 0", 1}, {"affiche", " 58", 1}, {"exporte", "", 2},
             {"exporte", " --texte --brut", 2}, {"exporte", " --pdf", 2}, {"exporte", " --texte --par-conversation --par-selection", 2},
             {"exporte", " --texte --ids 3-1", 1}, {"exporte", " --texte --ids 58", 1}, {"exporte", " --texte --ids 1,,2", 1}}) {
        const std::string args = verb + " " + Quote(kInbox + ".dbx") + rest +
                                 (verb == "exporte" ? " --stockage " + Quote(tmp.Path() + "/out") : "");
        CliResult r = RunCli(args);
        EXPECT_EQ(r.rc, rc) << args;
        EXPECT_TRUE(r.out.empty() && !r.err.empty()) << args;
    }
    EXPECT_FALSE(fs::exists(tmp.Path() + "/out"));
}

}  // namespace
