// pelicard-extract exporte on the sample stores: raw copies against undbx's
// extraction and the message files, text files against affiche, combined
// files, and the command line's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

#include "cli_run.hpp"
#include "common/text.hpp"

namespace fs = std::filesystem;
using namespace pelicard::testing;

namespace {

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";
const std::string kArchives = std::string(PELICARD_SAMPLES) + "/wm/Archives";

std::size_t Count(const std::string& hay, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
    return n;
}

class Exporte : public ::testing::Test {
protected:
    const fs::path tmp = fs::temp_directory_path() / ("pelicard-exporte-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(tmp); }
    void TearDown() override { fs::remove_all(tmp); }

    // Exit status; `paths` gets the lines printed.
    int Run(const std::string& args, std::vector<std::string>& paths) {
        const int st = std::system((std::string(PELICARD_CLI) + " " + args + " --stockage " + Quote((tmp / "out").string()) + " >" +
                                    Quote((tmp / "stdout").string()) + " 2>/dev/null").c_str());
        std::istringstream lines(Slurp(tmp / "stdout"));
        paths.clear();
        for (std::string l; std::getline(lines, l);) paths.push_back(l);
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    std::set<std::string> FilesUnder(const fs::path& dir) {
        std::set<std::string> all;
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(dir, ec))
            if (e.is_regular_file()) all.insert(e.path().string());
        return all;
    }
};

}  // namespace

TEST_F(Exporte, RawCopiesAreTheStoredTextsAsUndbxExtractsThem) {
    std::vector<std::string> paths;
    ASSERT_EQ(Run("exporte " + Quote(kInbox) + " --brut", paths), 0);
    const std::set<std::string> ours = FilesUnder(tmp / "out");
    EXPECT_EQ(ours.size(), 57u);
    EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()), ours);

    ASSERT_EQ(std::system(("undbx -v 0 " + Quote(kInbox) + " " + Quote((tmp / "undbx").string()) + " >/dev/null 2>&1").c_str()), 0);
    std::vector<std::string> theirs;
    for (const std::string& p : FilesUnder(tmp / "undbx")) theirs.push_back(Slurp(p));
    int equal = 0;
    for (const std::string& p : ours) {
        const std::string copy = Slurp(p);
        ASSERT_FALSE(copy.empty()) << p;
        if (std::find(theirs.begin(), theirs.end(), copy) != theirs.end()) {
            ++equal;
            continue;
        }
        // Otherwise the stored text was cut before an attachment.
        auto whole = std::find_if(theirs.begin(), theirs.end(), [&](const std::string& t) {
            return t.size() > copy.size() && t.compare(0, copy.size(), copy) == 0;
        });
        ASSERT_NE(whole, theirs.end()) << p;
        EXPECT_NE(pelicard::FindNoCase(whole->substr(copy.size()), "name="), std::string::npos) << p;
    }
    EXPECT_GE(equal, 40);

    // Windows Mail: the copies are the message files, named after the folder.
    fs::remove_all(tmp / "out");
    ASSERT_EQ(Run("exporte " + Quote(kArchives) + " --brut --par-selection", paths), 0);
    std::multiset<std::string> sources, copies;
    for (auto& e : fs::directory_iterator(kArchives))
        if (e.is_regular_file() && e.file_size() > 0 && e.path().extension() != ".txt") sources.insert(Slurp(e.path()));
    for (const std::string& p : paths) {
        EXPECT_EQ(fs::path(p).filename().string().rfind("Archives_", 0), 0u) << p;
        copies.insert(Slurp(p));
    }
    EXPECT_EQ(copies, sources);
    EXPECT_EQ(std::count_if(paths.begin(), paths.end(), [](const std::string& p) { return p.ends_with(".nws"); }), 1);
}

TEST_F(Exporte, TextFilesAloneByConversationAndBySelection) {
    std::vector<std::string> paths;
    ASSERT_EQ(Run("exporte " + Quote(kInbox) + " --texte --ids 2,5-6", paths), 0);
    ASSERT_EQ(paths.size(), 3u);
    ASSERT_EQ(std::system((std::string(PELICARD_CLI) + " affiche " + Quote(kInbox) + " 5 >" + Quote((tmp / "shown").string())).c_str()), 0);
    EXPECT_EQ(Slurp(paths[1]), pelicard::Utf8ToCp1252(Slurp(tmp / "shown")));

    const std::string sep = "\r\n\r\n" + std::string(71, '-') + "\r\n";
    ASSERT_EQ(Run("exporte " + Quote(kInbox) + " --texte --par-conversation", paths), 0);
    std::size_t dates = 0, seps = 0, subjects = 0;
    for (const std::string& p : paths) {
        const std::string t = Slurp(p);
        dates += Count(t, "Date : ");
        seps += Count(t, sep);
        subjects += Count(t, "Objet : ");
    }
    EXPECT_LT(paths.size(), 57u);
    EXPECT_EQ(dates, 57u);
    EXPECT_EQ(seps, 57u - paths.size());
    EXPECT_EQ(subjects, paths.size());  // a conversation's file has one subject line

    ASSERT_EQ(Run("exporte " + Quote(kInbox) + " --texte --par-selection --ids 1,4,7-9", paths), 0);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_TRUE(paths[0].ends_with("/Bo\xC3\xAEte de r\xC3\xA9" "ception/Bo\xC3\xAEte de r\xC3\xA9" "ception.txt"));
    EXPECT_EQ(Count(Slurp(paths[0]), "Objet : "), 5u);
    EXPECT_EQ(Count(Slurp(paths[0]), sep), 4u);
}

TEST_F(Exporte, RefusesBadCommandLines) {
    const std::string src = "exporte " + Quote(kInbox);
    std::vector<std::string> paths;
    for (const auto& [args, rc] : std::vector<std::pair<std::string, int>>{
             {"", 2}, {" --texte --brut", 2}, {" --texte --par-conversation --par-selection", 2}, {" --pdf", 2},
             {" --texte --ids 3-1", 1}, {" --texte --ids 58", 1}, {" --texte --ids 1,,2", 1}}) {
        EXPECT_EQ(Run(src + args, paths), rc) << args;
        EXPECT_TRUE(FilesUnder(tmp / "out").empty()) << args;
    }
}
