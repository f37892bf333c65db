// pelicard-extract exporte on the sample stores: raw copies against undbx's
// extraction and the message files, text files against affiche, combined files.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "cli_run.hpp"
#include "common/text.hpp"

namespace fs = std::filesystem;
using namespace pelicard::testing;

namespace {

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";
const std::string kArchives = std::string(PELICARD_SAMPLES) + "/wm/Archives";

// The paths printed by `exporte ARGS` into `tmp`, checking it succeeded.
std::vector<std::string> Export(const std::string& args, const TempFolder& tmp) {
    const CliResult r = RunCli("exporte " + args + " --stockage " + Quote(tmp.Path() + "/out"));
    EXPECT_EQ(r.rc, 0) << args << r.err;
    return Lines(r.out);
}

TEST(Exporte, RawCopiesAreTheStoredTextsAsUndbxExtractsThemOrTheMessageFiles) {
    const TempFolder tmp;
    std::vector<std::string> paths = Export(Quote(kInbox) + " --brut", tmp);
    ASSERT_EQ(paths.size(), 57u);
    ASSERT_EQ(std::system(("undbx -v 0 " + Quote(kInbox) + " " + Quote(tmp.Path() + "/undbx") + " >/dev/null 2>&1").c_str()), 0);
    std::vector<std::string> theirs;
    for (auto& e : fs::recursive_directory_iterator(tmp.Path() + "/undbx"))
        if (e.is_regular_file()) theirs.push_back(Slurp(e.path()));
    int equal = 0;
    for (const std::string& p : paths) {  // undbx's text, or that text cut before an attachment
        const std::string copy = Slurp(p);
        const auto whole = std::find_if(theirs.begin(), theirs.end(), [&](const std::string& t) { return t.starts_with(copy); });
        ASSERT_TRUE(!copy.empty() && whole != theirs.end()) << p;
        if (*whole == copy) ++equal;
        else EXPECT_NE(pelicard::FindNoCase(whole->substr(copy.size()), "name="), std::string::npos) << p;
    }
    EXPECT_GE(equal, 40);

    // Windows Mail: the raw copies, and the message shown raw, are the message
    // files; the copies are named after the folder.
    std::multiset<std::string> sources, copies;
    for (auto& e : fs::directory_iterator(kArchives))
        if (e.is_regular_file() && e.file_size() > 0 && e.path().extension() != ".txt") sources.insert(Slurp(e.path()));
    paths = Export(Quote(kArchives) + " --brut --par-selection", tmp);
    for (const std::string& p : paths) copies.insert(Slurp(p));
    EXPECT_TRUE(std::ranges::all_of(paths, [](const std::string& p) { return fs::path(p).filename().string().starts_with("Archives_"); }));
    EXPECT_EQ(copies, sources);
    EXPECT_EQ(std::count_if(paths.begin(), paths.end(), [](const std::string& p) { return p.ends_with(".nws"); }), 1);
    EXPECT_EQ(sources.count(RunCli("affiche " + Quote(kArchives) + " 1 --brut").out), 1u);
}

TEST(Exporte, TextFilesAloneByConversationAndBySelection) {
    const TempFolder tmp;
    std::vector<std::string> paths = Export(Quote(kInbox) + " --texte --ids 2,5-6", tmp);
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(Slurp(paths[1]), pelicard::Utf8ToCp1252(RunCli("affiche " + Quote(kInbox) + " 5").out));

    // A conversation's file has one subject line, and a rule between messages.
    const std::string sep = "\r\n\r\n" + std::string(71, '-') + "\r\n";
    std::string all;
    paths = Export(Quote(kInbox) + " --texte --par-conversation", tmp);
    for (const std::string& p : paths) all += Slurp(p);
    EXPECT_LT(paths.size(), 57u);
    EXPECT_EQ(Count(all, "Date : "), 57u);
    EXPECT_EQ(Count(all, sep), 57u - paths.size());
    EXPECT_EQ(Count(all, "Objet : "), paths.size());

    paths = Export(Quote(kInbox) + " --texte --par-selection --ids 1,4,7-9", tmp);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_TRUE(paths[0].ends_with("/Bo\xC3\xAEte de r\xC3\xA9" "ception/Bo\xC3\xAEte de r\xC3\xA9" "ception.txt"));
    EXPECT_EQ(Count(Slurp(paths[0]), "Objet : "), 5u);
    EXPECT_EQ(Count(Slurp(paths[0]), sep), 4u);
}

}  // namespace
