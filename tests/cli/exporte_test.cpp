// pelicard-extract exporte on the sample stores: raw copies against undbx's
// extraction, text files against the shown messages, combined files, and
// the command line's refusals.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/text.hpp"

namespace fs = std::filesystem;

namespace {

const std::string kInbox = std::string(PELICARD_SAMPLES) + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";
const std::string kInboxFolder = "Bo\xC3\xAEte de r\xC3\xA9" "ception";
const std::string kArchives = std::string(PELICARD_SAMPLES) + "/wm/Archives";

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::size_t Count(const std::string& hay, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
    return n;
}

class ExporteTest : public ::testing::Test {
protected:
    fs::path tmp;
    void SetUp() override {
        tmp = fs::temp_directory_path() / ("pelicard-exporte-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(tmp);
        fs::create_directories(tmp);
    }
    void TearDown() override { fs::remove_all(tmp); }

    struct Result {
        int rc = -1;
        std::vector<std::string> paths;  // lines printed
        std::string err;
    };
    Result Run(const std::string& args) {
        const std::string out = (tmp / "stdout").string(), err = (tmp / "stderr").string();
        const std::string cmd = std::string(PELICARD_CLI) + " " + args + " >" + Quote(out) + " 2>" + Quote(err);
        const int status = std::system(cmd.c_str());
        Result r;
        r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::istringstream lines(Slurp(out));
        for (std::string l; std::getline(lines, l);) r.paths.push_back(l);
        r.err = Slurp(err);
        return r;
    }
    // Every file under a folder, by path.
    static std::set<std::string> FilesUnder(const fs::path& dir) {
        std::set<std::string> all;
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(dir, ec))
            if (e.is_regular_file()) all.insert(e.path().string());
        return all;
    }
    std::string Store() const { return " --stockage " + Quote((tmp / "out").string()); }
};

}  // namespace

TEST_F(ExporteTest, RawCopiesAreTheStoredTextsAsUndbxExtractsThem) {
    const Result r = Run("exporte " + Quote(kInbox) + " --brut" + Store());
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::set<std::string> ours = FilesUnder(tmp / "out");
    ASSERT_EQ(ours.size(), 57u);
    EXPECT_EQ(std::set<std::string>(r.paths.begin(), r.paths.end()), ours);

    ASSERT_EQ(std::system(("undbx -v 0 " + Quote(kInbox) + " " + Quote((tmp / "undbx").string()) + " >/dev/null 2>&1").c_str()), 0);
    std::vector<std::string> theirs;
    for (const std::string& p : FilesUnder(tmp / "undbx")) theirs.push_back(Slurp(p));
    ASSERT_GE(theirs.size(), 57u);

    int equal = 0;
    for (const std::string& p : ours) {
        SCOPED_TRACE(p);
        EXPECT_EQ(p.substr(p.size() - 4), ".eml");
        const std::string copy = Slurp(p);
        ASSERT_FALSE(copy.empty());
        if (std::find(theirs.begin(), theirs.end(), copy) != theirs.end()) {
            ++equal;
            continue;
        }
        // Otherwise the stored text was cut before an attachment.
        auto whole = std::find_if(theirs.begin(), theirs.end(),
                                  [&](const std::string& t) { return t.size() > copy.size() && t.compare(0, copy.size(), copy) == 0; });
        ASSERT_NE(whole, theirs.end());
        EXPECT_NE(pelicard::FindNoCase(whole->substr(copy.size()), "name="), std::string::npos);
    }
    EXPECT_GE(equal, 40);
}

TEST_F(ExporteTest, WindowsMailRawCopiesAreTheMessageFiles) {
    const Result r = Run("exporte " + Quote(kArchives) + " --brut --par-selection" + Store());
    ASSERT_EQ(r.rc, 0) << r.err;
    std::multiset<std::string> sources;
    for (auto& e : fs::directory_iterator(kArchives))
        if (e.is_regular_file() && e.file_size() > 0 && e.path().extension() != ".txt") sources.insert(Slurp(e.path()));
    const std::set<std::string> ours = FilesUnder(tmp / "out/Archives");
    ASSERT_EQ(ours.size(), r.paths.size());
    std::multiset<std::string> copies;
    int news = 0;
    for (const std::string& p : ours) {
        // With the selection option every copy is named after the folder.
        EXPECT_EQ(fs::path(p).filename().string().rfind("Archives", 0), 0u) << p;
        news += p.substr(p.size() - 4) == ".nws";
        copies.insert(Slurp(p));
    }
    EXPECT_EQ(copies, sources);
    EXPECT_EQ(news, 1);
}

TEST_F(ExporteTest, TextFilesAloneByConversationAndBySelection) {
    const Result alone = Run("exporte " + Quote(kInbox) + " --texte --ids 2,5-6" + Store());
    ASSERT_EQ(alone.rc, 0) << alone.err;
    ASSERT_EQ(alone.paths.size(), 3u);
    // Each file holds the message as shown.
    const Result shown = [&] {
        Result r;
        const std::string cmd = std::string(PELICARD_CLI) + " affiche " + Quote(kInbox) + " 5 > " + Quote((tmp / "shown").string());
        r.rc = std::system(cmd.c_str());
        return r;
    }();
    ASSERT_EQ(shown.rc, 0);
    const std::string file5 = Slurp(alone.paths[1]);
    EXPECT_EQ(file5, pelicard::Utf8ToCp1252(Slurp(tmp / "shown")));
    EXPECT_EQ(file5.rfind("Objet : ", 0), 0u);

    const std::string sep = "\r\n\r\n" + std::string(71, '-') + "\r\n";
    const Result all = Run("exporte " + Quote(kInbox) + " --texte --par-conversation" + Store());
    ASSERT_EQ(all.rc, 0) << all.err;
    std::size_t dates = 0, seps = 0, subjects = 0;
    for (const std::string& p : all.paths) {
        const std::string t = Slurp(p);
        dates += Count(t, "\r\nDate : ") + (t.rfind("Date : ", 0) == 0);
        seps += Count(t, sep);
        subjects += Count(t, "Objet : ");
    }
    EXPECT_LT(all.paths.size(), 57u);
    EXPECT_EQ(dates, 57u);
    EXPECT_EQ(seps, 57u - all.paths.size());
    EXPECT_EQ(subjects, all.paths.size());  // one subject line per conversation file

    const Result sel = Run("exporte " + Quote(kInbox) + " --texte --par-selection --ids 1,4,7-9" + Store());
    ASSERT_EQ(sel.rc, 0) << sel.err;
    ASSERT_EQ(sel.paths.size(), 1u);
    EXPECT_EQ(sel.paths[0], (tmp / "out" / kInboxFolder / (kInboxFolder + ".txt")).string());
    const std::string combined = Slurp(sel.paths[0]);
    EXPECT_EQ(Count(combined, "Objet : "), 5u);
    EXPECT_EQ(Count(combined, sep), 4u);
}

TEST_F(ExporteTest, RefusesBadCommandLines) {
    struct Case {
        std::string args;
        int rc;
    } cases[] = {
        {"exporte " + Quote(kInbox), 2},
        {"exporte " + Quote(kInbox) + " --texte --brut", 2},
        {"exporte " + Quote(kInbox) + " --texte --par-conversation --par-selection", 2},
        {"exporte " + Quote(kInbox) + " --pdf", 2},
        {"exporte " + Quote(kInbox) + " --texte --ids 3-1", 1},
        {"exporte " + Quote(kInbox) + " --texte --ids 58", 1},
        {"exporte " + Quote(kInbox) + " --texte --ids 1,,2", 1},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.args + Store());
        EXPECT_EQ(r.rc, c.rc) << c.args;
        EXPECT_FALSE(r.err.empty()) << c.args;
        EXPECT_TRUE(FilesUnder(tmp / "out").empty()) << c.args;
    }
}
