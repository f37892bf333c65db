// pelicard-extract --recuperer on a built store with a wiped header and a
// deleted message: the rows and their state, the shown text, the raw copies.
#include <gtest/gtest.h>

#include <set>

#include "cli_run.hpp"
#include "support/dbx_builder.hpp"

using namespace pelicard::testing;

namespace {

std::string Message(const std::string& subject, std::size_t bodyBytes) {
    std::string t = "From: Zo\xE9 <z@x>\r\nSubject: " + subject + "\r\nDate: Mon, 2 Mar 2009 10:00:00 +0100\r\n\r\n";
    while (t.size() < bodyBytes) t += "ligne " + std::to_string(t.size()) + "\r\n";
    return t;
}

TEST(Recuperer, ListsShowsAndCopiesWhatAWipedHeaderLeft) {
    const std::string live1 = Message("Premier", 1500), live2 = Message("Second", 700), gone = Message("Parti", 900);
    DbxBuilder b;
    b.AddText(live1);
    const std::uint32_t deleted = b.AddText(gone);
    b.AddText(live2);
    b.FreeText(deleted);
    b.Finish(2, 0);
    b.Patch(0, std::string(kDbxHeaderSize, '\0'));
    const TempFile store(b.Bytes(), "Courrier.dbx");

    // Without the option the file is refused, as before.
    EXPECT_EQ(RunCli("liste " + Quote(store.path)).rc, 1);
    const CliResult list = RunCli("liste " + Quote(store.path) + " --recuperer --json");
    ASSERT_EQ(list.rc, 0) << list.err;
    EXPECT_NE(list.err.find("0/0 messages complets/contenus dans le fichier Courrier.dbx ; r\xC3\xA9" "cup\xC3\xA9r\xC3\xA9s : 2, supprim\xC3\xA9s : 1"),
              std::string::npos) << list.err;
    EXPECT_EQ(Count(list.out, "\"etat\": \"r\xC3\xA9" "cup\xC3\xA9r\xC3\xA9\""), 2u);
    // The deleted message lost "From" with its first 4 bytes; it sorts first.
    EXPECT_NE(list.out.find("{\"id\": 1, \"objet\": \"Parti\", \"emetteur\": \"\", \"date\": \"02/03/2009 10:00:00\", \"cle_date\": \"20090302 100000\", \"conversation\": \"<Parti>\", \"etat\": \"supprim\xC3\xA9\"}"),
              std::string::npos) << list.out;
    EXPECT_NE(list.out.find("\"objet\": \"Premier\", \"emetteur\": \"Zo\xC3\xA9 <z@x>\", \"date\": \"02/03/2009 10:00:00\""), std::string::npos)
        << list.out;

    // The deleted message lost the first 4 bytes of each of its 2 blocks.
    const CliResult shown = RunCli("affiche " + Quote(store.path) + " 1 --recuperer --brut");
    EXPECT_EQ(shown.out, gone.substr(4, 508) + gone.substr(516));
    const std::string text = RunCli("affiche " + Quote(store.path) + " 1 --recuperer").out;
    EXPECT_EQ(Count(text, "[\xE2\x80\xA6]"), 1u) << text;  // the second mark lies in the body

    const TempFolder tmp;
    const CliResult out = RunCli("exporte " + Quote(store.path) + " --brut --recuperer --stockage " + Quote(tmp.Path()));
    ASSERT_EQ(out.rc, 0) << out.err;
    std::multiset<std::string> copies;
    for (const std::string& p : Lines(out.out)) copies.insert(Slurp(p));
    EXPECT_EQ(copies, (std::multiset<std::string>{live1, live2, gone.substr(4, 508) + gone.substr(516)}));
}

}  // namespace
