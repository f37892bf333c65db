// pelicard-extract liste: the rows of a .dbx store on standard output, the
// summary on standard error, and the exit statuses.
#include <gtest/gtest.h>

#include <vector>

#include "cli_run.hpp"
#include "support/dbx_builder.hpp"

namespace fs = std::filesystem;
using namespace pelicard::testing;

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::size_t start = 0, at;
    while ((at = s.find(sep, start)) != std::string::npos) {
        out.push_back(s.substr(start, at - start));
        start = at + 1;
    }
    out.push_back(s.substr(start));
    return out;
}

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";

TEST(Liste, SampleStoreRowsAndSummary) {
    const CliResult r = RunCli("liste " + Quote(kInbox));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "57/60 messages complets/contenus dans le fichier Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx\n");
    std::vector<std::string> lines = Split(r.out, '\n');
    ASSERT_EQ(lines.back(), "");
    lines.pop_back();
    ASSERT_EQ(lines.size(), 57u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto f = Split(lines[i], '\t');
        ASSERT_EQ(f.size(), 6u) << lines[i];
        EXPECT_EQ(f[0], std::to_string(i + 1));
        EXPECT_EQ(f[5].front(), '<');
    }
    // The reply to an absent message keeps its own subject; UTF-8 throughout.
    EXPECT_NE(r.out.find("\tFacture n\xC2\xB0 7979\tJean Dupont\t06/02/2008 18:09:42\t20080206 180942\t<Facture n\xC2\xB0 7979>\n"),
              std::string::npos);
}

TEST(Liste, JsonHasOneObjectPerRow) {
    const CliResult r = RunCli("liste " + Quote(std::string(PELICARD_SAMPLES) + "/dbx/\xC3\x89l\xC3\xA9ments envoy\xC3\xA9s.dbx") + " --json");
    ASSERT_EQ(r.rc, 0) << r.err;
    ASSERT_GE(r.out.size(), 4u);
    EXPECT_EQ(r.out.front(), '[');
    EXPECT_EQ(r.out.substr(r.out.size() - 2), "]\n");
    std::size_t objects = 0;
    for (std::size_t at = 0; (at = r.out.find("{\"id\": ", at)) != std::string::npos; ++at) ++objects;
    EXPECT_EQ(objects, 40u);
    for (const char* key : {"\"objet\": ", "\"emetteur\": ", "\"date\": ", "\"cle_date\": ", "\"conversation\": "})
        EXPECT_NE(r.out.find(key), std::string::npos) << key;
}

// Tabs and line breaks inside a field come out as spaces; JSON escapes them.
TEST(Liste, FieldsNeverBreakTheLine) {
    DbxMessage m;
    m.subject = "Sujet";
    m.convSubject = "Sujet";
    m.ownId = "<a@b>";
    m.sender = "Jean\tDupont\r\n\"Jr\"";
    m.filetime = pelicard::testing::FileTimeUtc(2007, 3, 5, 13, 7, 9);
    m.text = "Subject: Sujet\r\n\r\nCorps\r\n";
    pelicard::testing::TempFile f(pelicard::testing::BuildDbx({m}), "test.dbx");
    const CliResult r = RunCli("liste " + Quote(f.path));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "1\tSujet\tJean Dupont  \"Jr\"\t05/03/2007 14:07:09\t20070305 140709\t<Sujet>\n");
    const CliResult j = RunCli("liste " + Quote(f.path) + " --json");
    EXPECT_NE(j.out.find("\"emetteur\": \"Jean\\tDupont\\r\\n\\\"Jr\\\"\""), std::string::npos) << j.out;
}

TEST(Liste, RefusalsAndUsage) {
    const fs::path dir = fs::temp_directory_path() / ("pelicard-liste-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::copy_file(kInbox, dir / "Folders.DBX", fs::copy_options::overwrite_existing);
    const CliResult refused = RunCli("liste " + Quote((dir / "Folders.DBX").string()));
    EXPECT_EQ(refused.rc, 1);
    EXPECT_NE(refused.err.find("La lecture du fichier Folders.DBX n'est pas autoris\xC3\xA9" "e"), std::string::npos);
    EXPECT_EQ(refused.out, "");

    {
        std::ofstream(dir / "faux.dbx") << std::string(0x100, 'x');
    }
    const CliResult invalid = RunCli("liste " + Quote((dir / "faux.dbx").string()));
    EXPECT_EQ(invalid.rc, 1);
    EXPECT_NE(invalid.err.find(" n'est pas un fichier Outlook Express valide "), std::string::npos);
    fs::remove_all(dir);

    EXPECT_EQ(RunCli("liste").rc, 2);
    EXPECT_EQ(RunCli("liste " + Quote(kInbox) + " --xml").rc, 2);
    EXPECT_EQ(RunCli("liste a.dbx b.dbx").rc, 2);
}

}  // namespace
