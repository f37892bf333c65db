// pelicard-extract liste: the rows of a .dbx store on standard output, the
// summary on standard error, and the refused files.
#include <gtest/gtest.h>

#include "cli_run.hpp"
#include "support/dbx_builder.hpp"

using namespace pelicard::testing;

namespace {

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";

TEST(Liste, SampleStoreRowsAndSummary) {
    const CliResult r = RunCli("liste " + Quote(kInbox));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "57/60 messages complets/contenus dans le fichier Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx\n");
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 57u);
    EXPECT_TRUE(r.out.ends_with("\n"));
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].starts_with(std::to_string(i + 1) + "\t") && Count(lines[i], "\t") == 5) << lines[i];
    // The reply to an absent message keeps its own subject; UTF-8 throughout.
    EXPECT_NE(r.out.find("\tFacture n\xC2\xB0 7979\tJean Dupont\t06/02/2008 18:09:42\t20080206 180942\t<Facture n\xC2\xB0 7979>\n"),
              std::string::npos);
    const CliResult j = RunCli("liste " + Quote(kInbox) + " --json");
    EXPECT_TRUE(j.out.starts_with("[") && j.out.ends_with("]\n"));
    EXPECT_EQ(Count(j.out, "{\"id\": "), 57u);
}

// Tabs and line breaks inside a field come out as spaces; JSON escapes them.
TEST(Liste, FieldsNeverBreakTheLine) {
    DbxMessage m;
    m.subject = m.convSubject = "Sujet";
    m.ownId = "<a@b>";
    m.sender = "Jean\tDupont\r\n\"Jr\"";
    m.filetime = FileTimeUtc(2007, 3, 5, 13, 7, 9);
    m.text = "Subject: Sujet\r\n\r\nCorps\r\n";
    TempFile f(BuildDbx({m}), "test.dbx");
    const CliResult r = RunCli("liste " + Quote(f.path));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "1\tSujet\tJean Dupont  \"Jr\"\t05/03/2007 14:07:09\t20070305 140709\t<Sujet>\n");
    const CliResult j = RunCli("liste " + Quote(f.path) + " --json");
    EXPECT_NE(j.out.find("\"emetteur\": \"Jean\\tDupont\\r\\n\\\"Jr\\\"\""), std::string::npos) << j.out;
    for (const char* key : {"\"objet\": ", "\"date\": ", "\"cle_date\": ", "\"conversation\": "})
        EXPECT_NE(j.out.find(key), std::string::npos) << key;
}

// Folders.DBX is refused by name, whatever it holds; a damaged header is named.
TEST(Liste, RefusesFoldersDbxAndInvalidFiles) {
    const TempFolder dir;
    for (const auto& [name, bytes, message] :
         {std::tuple{"Folders.DBX", Slurp(kInbox), "La lecture du fichier Folders.DBX n'est pas autoris\xC3\xA9" "e"},
          std::tuple{"faux.dbx", std::string(0x100, 'x'), " n'est pas un fichier Outlook Express valide "}}) {
        const CliResult r = RunCli("liste " + Quote(dir.Write(name, bytes)));
        EXPECT_EQ(r.rc, 1);
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
