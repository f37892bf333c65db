// Whole stores in the batch tool: dossiers (text and JSON), --dossier on one
// folder, and exporte of the whole store into mirrored sub-folders.
#include <gtest/gtest.h>

#include <set>

#include "cli_run.hpp"
#include "common/text.hpp"
#include "support/folders_builder.hpp"

namespace fs = std::filesystem;
using namespace pelicard::testing;

namespace {

const std::string kMartin = "Dossiers locaux/Clients/Martin";
const std::string kInbox = "Dossiers locaux/Bo\xC3\xAEte de r\xC3\xA9" "ception";

TEST(Dossiers, TreeOrderLinesAndJson) {
    const TempFolder store;
    WriteSampleStore(store);
    const CliResult text = RunCli("dossiers " + Quote(store.Path()));
    ASSERT_EQ(text.rc, 0) << text.err;
    const std::vector<std::string> lines = Lines(text.out);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[4], kInbox + "\t" + store.Path() + "/Inbox.dbx\t2");
    EXPECT_EQ(lines[6], kMartin + "\t" + store.Path() + "/Martin.dbx\t3");
    EXPECT_EQ(lines[9], "Perdu\t" + store.Path() + "/Perdu.dbx\t0\tindisponible : Fichier Perdu.dbx introuvable");

    const CliResult json = RunCli("dossiers " + Quote(store.Path()) + " --json");
    ASSERT_EQ(json.rc, 0);
    EXPECT_EQ(Count(json.out, "\"chemin\": "), 10u);
    EXPECT_NE(json.out.find("{\"chemin\": \"" + kMartin + "\", \"source\": \"" + store.Path() +
                            "/Martin.dbx\", \"messages\": 3}"),
              std::string::npos)
        << json.out;
    EXPECT_EQ(RunCli("dossiers " + Quote(store.Path() + "/Inbox.dbx")).rc, 1);
}

TEST(Dossiers, OneFolderOfTheStoreForListeAfficheExporte) {
    const TempFolder store, tmp;
    WriteSampleStore(store);
    const std::string src = Quote(store.Path()) + " --dossier " + Quote(kMartin);
    const CliResult liste = RunCli("liste " + src);
    ASSERT_EQ(liste.rc, 0) << liste.err;
    ASSERT_EQ(Lines(liste.out).size(), 3u);
    EXPECT_NE(liste.out.find("Martin 2"), std::string::npos);
    EXPECT_NE(RunCli("affiche " + src + " 3").out.find("Corps de Martin"), std::string::npos);
    const CliResult one = RunCli("exporte " + src + " --texte --stockage " + Quote(tmp.Path()));
    ASSERT_EQ(one.rc, 0) << one.err;
    const std::vector<std::string> paths = Lines(one.out);
    ASSERT_EQ(paths.size(), 3u);
    for (const std::string& p : paths) EXPECT_EQ(p.rfind(tmp.Path() + "/" + kMartin + "/Martin ", 0), 0u) << p;

    for (const char* bad : {"Perdu", "Dossiers locaux", "Nulle part"}) {
        const CliResult r = RunCli("liste " + Quote(store.Path()) + " --dossier " + Quote(bad));
        EXPECT_EQ(r.rc, 1) << bad;
        EXPECT_FALSE(r.err.empty());
    }
}

TEST(Dossiers, WholeStoreSavesEveryFolderIntoMirroredSubFolders) {
    const TempFolder store, tmp;
    WriteSampleStore(store);
    const auto before = Snapshot(store.Path());
    const std::string out = tmp.Path() + "/out";
    const CliResult r = RunCli("exporte " + Quote(store.Path()) + " --brut --stockage " + Quote(out));
    EXPECT_EQ(r.rc, 3) << r.err;  // two folders could not be read
    std::map<std::string, int> perFolder;
    for (const std::string& p : Lines(r.out)) {
        ASSERT_EQ(p.rfind(out + "/", 0), 0u) << p;
        EXPECT_TRUE(fs::is_regular_file(p)) << p;
        ++perFolder[fs::path(p).parent_path().string().substr(out.size() + 1)];
    }
    const std::map<std::string, int> expected = {
        {"Boucle B", 1}, {"Boucle B/Boucle A", 1}, {kInbox, 2}, {"Dossiers locaux/Clients", 1}, {kMartin, 3}, {"Orphelin", 1}};
    EXPECT_EQ(perFolder, expected);
    std::size_t files = 0;
    for (auto& e : fs::recursive_directory_iterator(out)) files += e.is_regular_file();
    EXPECT_EQ(files, 9u);  // nothing but the messages
    EXPECT_EQ(Snapshot(store.Path()), before);
    EXPECT_NE(r.err.find("dossier 5 sur 6 : " + kMartin + " (3 messages)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Messages enregistr\xC3\xA9s : 9"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Perdu : Fichier Perdu.dbx introuvable"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Cass\xC3\xA9 : Ce n'est pas un fichier Outlook Express valide"), std::string::npos);

    // Never into the store being read.
    const CliResult inside = RunCli("exporte " + Quote(store.Path()) + " --texte --stockage " + Quote(store.Path() + "/sortie"));
    EXPECT_EQ(inside.rc, 1);
    EXPECT_FALSE(fs::exists(store.Path() + "/sortie"));
}

}  // namespace
