// pelicard-extract affiche on the sample stores: the stored text as read
// (--brut) against the samples' manifests, a few shown messages worked out
// by hand, and the usage errors.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Result {
    int rc = -1;
    std::string out, err;
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

Result RunCli(const std::string& args) {
    static int n = 0;
    const fs::path base = fs::temp_directory_path() / ("pelicard-affiche-" + std::to_string(::getpid()) + "-" +
                                                       std::to_string(++n));
    const std::string cmd = std::string(PELICARD_CLI) + " " + args + " >" + Quote(base.string() + ".out") + " 2>" +
                            Quote(base.string() + ".err");
    Result r;
    int status = std::system(cmd.c_str());
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(base.string() + ".out");
    r.err = Slurp(base.string() + ".err");
    fs::remove(base.string() + ".out");
    fs::remove(base.string() + ".err");
    return r;
}

// SHA-1, to compare with the manifests.
std::string Sha1(const std::string& data) {
    std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::string m = data;
    const std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
    m.push_back(static_cast<char>(0x80));
    while (m.size() % 64 != 56) m.push_back('\0');
    for (int i = 7; i >= 0; --i) m.push_back(static_cast<char>(bits >> (8 * i)));
    auto rol = [](std::uint32_t v, int k) { return v << k | v >> (32 - k); };
    for (std::size_t off = 0; off < m.size(); off += 64) {
        std::uint32_t w[80];
        for (int i = 0; i < 16; ++i)
            w[i] = static_cast<std::uint32_t>(static_cast<unsigned char>(m[off + 4 * i])) << 24 |
                   static_cast<std::uint32_t>(static_cast<unsigned char>(m[off + 4 * i + 1])) << 16 |
                   static_cast<std::uint32_t>(static_cast<unsigned char>(m[off + 4 * i + 2])) << 8 |
                   static_cast<std::uint32_t>(static_cast<unsigned char>(m[off + 4 * i + 3]));
        for (int i = 16; i < 80; ++i) w[i] = rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            std::uint32_t f, k;
            if (i < 20) f = (b & c) | (~b & d), k = 0x5A827999;
            else if (i < 40) f = b ^ c ^ d, k = 0x6ED9EBA1;
            else if (i < 60) f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
            else f = b ^ c ^ d, k = 0xCA62C1D6;
            std::uint32_t t = rol(a, 5) + f + e + k + w[i];
            e = d, d = c, c = rol(b, 30), b = a, a = t;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    char hex[41];
    for (int i = 0; i < 5; ++i) std::snprintf(hex + 8 * i, 9, "%08x", h[i]);
    return hex;
}

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception";
const std::string kSent = std::string(PELICARD_SAMPLES) + "/dbx/\xC3\x89l\xC3\xA9ments envoy\xC3\xA9s";

// The ID of every listed message, by the SHA-1 of its --brut output.
std::map<std::string, int> BrutById(const std::string& dbx, int& listed) {
    std::map<std::string, int> ids;
    listed = 0;
    for (int id = 1; id < 1000; ++id) {
        Result r = RunCli("affiche " + Quote(dbx) + " " + std::to_string(id) + " --brut");
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
// three inbox messages, found by their raw text, are shown as the text
// export writes them: a base64 UTF-8 plain text, a multipart with a
// preamble, and a multipart cut before its attached PDF. Expected texts in
// UTF-8, CR LF line ends, nothing at the end.
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
        {"multipart with a preamble", "f1aba934553d395f7d974e670ef6ab0dd67d4ea6",
         "Objet : Inscription à l'atelier\r\n"
         "Date : vendredi 9 décembre 2005 12:28\r\n"
         "Expéditeur : Maëlle Leroy\r\n\r\n"
         "Les résultats du vote seront affichés dans le hall d'entrée dès demain. Merci de me faire parvenir "
         "vos remarques avant vendredi midi. Le médecin a confirmé le rendez-vous de mercredi à 9 h 30 "
         "précises. Pourriez-vous vérifier l'adresse de livraison ? Le colis est revenu. À bientôt, et bon "
         "courage pour la suite des travaux !\r\n\r\n"
         "J'ai bien reçu le dossier complété, il ne manque que l'attestation signée. L'imprimante du "
         "deuxième étage affiche « bourrage papier » depuis lundi.\r\n\r\n"
         "Je vous prie d'agréer, Madame, Monsieur, l'expression de mes salutations. Bonjour à tous, voici le "
         "compte rendu de la réunion de mardi dernier. Après vérification, la facture comporte une erreur de "
         "TVA à 19,6 %. Pourriez-vous vérifier l'adresse de livraison ? Le colis est revenu.\r\n\r\n"
         "Maëlle Leroy"},
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
        Result r = RunCli("affiche " + Quote(kInbox + ".dbx") + " " + std::to_string(it->second));
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
    for (const Case& k : std::vector<Case>{{"affiche", 2},
                                           {"affiche " + dbx, 2},
                                           {"affiche " + dbx + " 1 2", 2},
                                           {"affiche " + dbx + " un", 2},
                                           {"affiche " + dbx + " -3", 2},
                                           {"affiche " + dbx + " 1 --inconnu", 2},
                                           {"affiche " + dbx + " 0", 1},
                                           {"affiche " + dbx + " 58", 1},
                                           {"affiche " + dbx + " 999999", 1}}) {
        SCOPED_TRACE(k.args);
        Result r = RunCli(k.args);
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
    Result r = RunCli("affiche " + Quote(folder.string()) + " 1 --brut");
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(files.count(r.out), 1u);
}

}  // namespace
