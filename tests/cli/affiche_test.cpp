// pelicard-extract affiche on the sample stores: the stored text as read
// (--brut) against the samples' manifests, a few shown messages worked out
// by hand, and the usage errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <set>

#include "cli_run.hpp"

namespace fs = std::filesystem;

using namespace pelicard::testing;

namespace {

// SHA-1 of a text, as the manifests give it.
std::string Sha1(const std::string& data) {
    const fs::path f = fs::temp_directory_path() / ("pelicard-affiche-sha-" + std::to_string(::getpid()));
    std::ofstream(f, std::ios::binary) << data;
    std::string hex(40, '\0');
    FILE* p = ::popen(("sha1sum " + Quote(f.string())).c_str(), "r");
    hex.resize(p ? std::fread(hex.data(), 1, 40, p) : 0);
    if (p) ::pclose(p);
    fs::remove(f);
    return hex;
}

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception";
const std::string kSent = std::string(PELICARD_SAMPLES) + "/dbx/\xC3\x89l\xC3\xA9ments envoy\xC3\xA9s";

// The ID of every listed message, by the SHA-1 of its --brut output.
std::map<std::string, int> BrutById(const std::string& dbx, int& listed) {
    std::map<std::string, int> ids;
    listed = 0;
    for (int id = 1; id < 1000; ++id) {
        CliResult r = RunCli("affiche " + Quote(dbx) + " " + std::to_string(id) + " --brut");
        if (r.rc != 0) break;
        EXPECT_TRUE(r.err.empty()) << r.err;
        ids[Sha1(r.out)] = id;
        listed = id;
    }
    return ids;
}

std::set<std::string> ManifestSha1s(const std::string& json) {
    std::set<std::string> all;
    const std::string text = Slurp(json);
    const std::regex re("\"text_sha1\": \"([0-9a-f]{40})\"");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        all.insert((*it)[1]);
    return all;
}

// Each store is swept once (one run per ID): every --brut output is a stored
// text of the manifest, except the messages cut before an attachment. Then
// two inbox messages, found by their raw text, are shown as the text export
// writes them: a base64 UTF-8 plain text, and a multipart cut before its
// attached PDF. Expected texts in UTF-8, CR LF line ends, nothing at the end.
TEST(Affiche, BrutIsTheStoredTextAndShownTextsAreExact) {
    struct Store {
        std::string path;
        int complete;
        int withAttachment;
    };
    std::map<std::string, int> inbox;
    for (const Store& k : {Store{kInbox, 57, 7}, Store{kSent, 40, 8}}) {
        SCOPED_TRACE(k.path);
        int listed = 0;
        const auto ids = BrutById(k.path + ".dbx", listed);
        ASSERT_EQ(listed, k.complete);
        const auto manifest = ManifestSha1s(k.path + ".json");
        int whole = 0;
        for (const auto& [sha, id] : ids) whole += manifest.count(sha) ? 1 : 0;
        EXPECT_EQ(whole, k.complete - k.withAttachment);
        if (k.path == kInbox) inbox = ids;
    }

    struct Case {
        const char* name;
        std::string brutSha1;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"base64 UTF-8 plain text", "a92f046ae0d7d14a2a2474bae9ec28e455f6d741",
         "Objet : Prêt du vidéoprojecteur\r\n"
         "Date : mercredi 4 juin 2008 09:02\r\n"
         "Expéditeur : Thérèse Dubois\r\n\r\n"
         "Nous avons été très touchés par votre accueil chaleureux à Besançon. Le séminaire aura lieu à "
         "l'hôtel de ville, deuxième étage, salle Molière. L'imprimante du deuxième étage affiche "
         // "Â«" stays: the UTF-8 repair undoes "Ã" pairs and "=C2=" escapes, not a literal "Â".
         "Â« bourrage papier Â» depuis lundi.\r\n\r\nThérèse Dubois"},
        {"multipart cut before its attachment", "258ec0a4fd31ce475db18c0ff302d1b99b61650d",
         "Objet : Déménagement du bureau\r\n"
         "Date : mercredi 21 juin 2006 07:39\r\n"
         "Expéditeur : Amélie Poulain\r\n\r\n"
         "Le comité a décidé de reporter la décision à la séance de décembre. J'ai bien reçu le dossier "
         "complété, il ne manque que l'attestation signée. J'ai bien reçu le dossier complété, il ne manque "
         "que l'attestation signée. Merci de me faire parvenir vos remarques avant vendredi midi. Les "
         "résultats du vote seront affichés dans le hall d'entrée dès demain. Le médecin a confirmé le "
         "rendez-vous de mercredi à 9 h 30 précises."},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        auto it = inbox.find(k.brutSha1);
        ASSERT_NE(it, inbox.end());
        CliResult r = RunCli("affiche " + Quote(kInbox + ".dbx") + " " + std::to_string(it->second));
        EXPECT_EQ(r.rc, 0);
        EXPECT_EQ(r.out, k.expected);
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
}

TEST(Affiche, UsageErrorsAndUnknownIds) {
    const std::string dbx = Quote(kInbox + ".dbx");
    struct Case {
        std::string args;
        int rc;
    };
    for (const Case& k : std::vector<Case>{{"", 2},
                                           {" 1 2", 2},
                                           {" un", 2},
                                           {" 1 --inconnu", 2},
                                           {" 0", 1},
                                           {" 58", 1}}) {
        SCOPED_TRACE(k.args);
        CliResult r = RunCli("affiche " + dbx + k.args);
        EXPECT_EQ(r.rc, k.rc);
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(r.err.empty());
    }
}

// A Windows Mail message shown raw is its file, byte for byte.
TEST(Affiche, BrutOfAWindowsMailMessageIsItsFile) {
    const fs::path folder = fs::path(PELICARD_SAMPLES) / "wm" / "Archives";
    std::set<std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files.insert(Slurp(e.path()));
    CliResult r = RunCli("affiche " + Quote(folder.string()) + " 1 --brut");
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(files.count(r.out), 1u);
}

}  // namespace
