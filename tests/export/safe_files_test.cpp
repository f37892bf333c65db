// Safe output files: names from sources, creation that never follows a link
// nor writes into an existing file, temporary files renamed without replacing,
// write failures with their reason, and "is this inside that folder".
// (A link or a file planted as a sub-folder: save_test.cpp, end to end.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/text.hpp"
#include "export/safe_files.hpp"
#include "support/eml_builder.hpp"

namespace fs = std::filesystem;
using namespace pelicard;
using namespace pelicard::testing;

namespace {

// The bytes of the regular file `p`, "<none>" when no regular file has that name.
std::string Read(const std::string& p) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(p, ec))) return "<none>";
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A storage folder `dir` opened as `top`, an empty file outside it that links
// may aim at, and a name "nowhere" that a dangling link aims at.
struct Place {
    TempFolder tmp;
    std::string dir = tmp.Path() + "/store", outside = tmp.Write("outside.txt", ""), nowhere = tmp.Path() + "/nowhere";
    UniqueFd fd, top;
    Place() { fs::create_directories(dir), top = OpenStorageFolder(dir); }
    std::string At() const { return dir + "/m.txt"; }
    std::vector<std::string> Names() const {
        std::vector<std::string> n;
        for (auto& e : fs::directory_iterator(dir)) n.push_back(e.path().filename().string());
        return n;
    }
};

// What each case plants under the name "m.txt" before writing.
using Plant = void (*)(Place&);
const Plant kOld = [](Place& p) { p.tmp.Write("store/m.txt", "ancien"); };

}  // namespace

TEST(SafeFiles, NamesFromSourcesBecomeOneHarmlessComponent) {
    const std::string e200 = [] { std::string s; for (int k = 0; k < 200; ++k) s += "\xC3\xA9"; return s; }();
    const std::pair<std::string, std::string> rows[] = {
        {"Budget 2008", "Budget 2008"}, {"a/b\\c", "a_b_c"}, {"", "_"}, {".", "_"}, {"..", "_"}, {"....", "_"},
        {".cach\xC3\xA9", ".cach\xC3\xA9"}, {"\x1B]0;titre\x07", "_]0;titre_"}, {"a\r\nb\x7F", "a__b_"},
        {"\xC2\x9B" "2J \xC2\xA0", "_2J \xC2\xA0"},  // C1 control, then a no-break space kept
        {std::string("n\0ul", 4), "n_ul"}, {e200, e200.substr(0, 254)},
    };
    for (auto& [in, out] : rows) EXPECT_EQ(SafeComponent(in), out) << in;
    EXPECT_EQ(WithoutControls("a\x1B" "b/.."), "a_b/..");
}

// Whatever holds the name, created in place or written aside and renamed onto
// it: nothing outside the folder changes, nothing is written through a link,
// an old file keeps its bytes unless replacing it was confirmed, and no
// temporary file is left.
TEST(SafeFiles, OutputNeverFollowsALinkNorReplacesAnythingButAnEmptyOrConfirmedFile) {
    const struct {
        const char* what;
        Plant plant;
        Created created;
        std::string afterCreate;
        bool confirmed, committed;
        std::string afterCommit;
    } rows[] = {
        {"free", [](Place&) {}, Created::New, "neuf", false, true, "neuf"},
        {"empty", [](Place& p) { p.tmp.Write("store/m.txt", ""); }, Created::ReplacedEmpty, "neuf", false, true, "neuf"},
        {"old", kOld, Created::Taken, "ancien", false, false, "ancien"},
        {"old, confirmed", kOld, Created::Taken, "ancien", true, true, "neuf"},
        {"hard link to an empty file", [](Place& p) { fs::create_hard_link(p.outside, p.At()); }, Created::ReplacedEmpty,
         "neuf", false, true, "neuf"},
        {"link to an empty file", [](Place& p) { fs::create_symlink(p.outside, p.At()); }, Created::Taken, "<none>", true,
         false, "<none>"},
        {"dangling link", [](Place& p) { fs::create_symlink(p.nowhere, p.At()); }, Created::Taken, "<none>", true, false,
         "<none>"},
        {"fifo", [](Place& p) { ASSERT_EQ(::mkfifo(p.At().c_str(), 0600), 0); }, Created::Taken, "<none>", true, false,
         "<none>"},
        {"folder", [](Place& p) { fs::create_directories(p.At()); }, Created::Taken, "<none>", true, false, "<none>"},
    };
    for (const auto& r : rows) {  // c: created in place; p: written aside, committed with r.confirmed
        Place c, p;
        r.plant(c), r.plant(p);
        EXPECT_EQ(CreateFileAt(c.top.get(), "m.txt", c.At(), c.fd), r.created) << r.what;
        if (c.fd.valid()) WriteAllFd(c.fd.get(), "neuf", c.At());
        PendingFile f = BeginPending(p.top.get(), "m.txt", p.At());
        WriteAllFd(f.fd.get(), "neuf", p.At());
        EXPECT_EQ(CommitPending(f, r.confirmed), r.committed) << r.what;
        EXPECT_EQ(Read(c.At()), r.afterCreate) << r.what;
        EXPECT_EQ(Read(p.At()), r.afterCommit) << r.what;
        for (const Place* q : {&c, &p}) {
            EXPECT_EQ(Read(q->outside), "") << r.what;
            EXPECT_FALSE(fs::exists(fs::symlink_status(q->nowhere))) << r.what;
            EXPECT_EQ(q->Names(), std::vector<std::string>{"m.txt"}) << r.what;
        }
    }
    // Abandoned (a failed write): only the temporary file goes.
    Place p;
    { PendingFile f = BeginPending(p.top.get(), "m.txt", p.At()); }
    EXPECT_TRUE(p.Names().empty());
}

// A small file size limit stands for a full disk: the write fails with the
// file's name and the system's reason instead of ending the process.
TEST(SafeFiles, WriteFailureNamesTheFileAndTheReason) {
    Place p;
    ASSERT_EQ(CreateFileAt(p.top.get(), "m.txt", p.At(), p.fd), Created::New);
    struct rlimit before {};
    ::getrlimit(RLIMIT_FSIZE, &before);
    struct rlimit small = before;
    small.rlim_cur = 4096;
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    try {
        WriteAllFd(p.fd.get(), std::string(10000, 'x'), p.At());
    } catch (const Fault& f) {
        message = f.Description();
    }
    ::setrlimit(RLIMIT_FSIZE, &before);
    ::signal(SIGXFSZ, previous);
    EXPECT_EQ(message, Utf8ToCp1252("Impossible d'écrire dans le fichier " + p.At() +
                                    "\r\nFichier trop volumineux pour ce système"));
}

TEST(SafeFiles, InsideFolderAndTimes) {
    Place p;
    const std::string t = p.tmp.Path();
    fs::create_directories(p.dir + "/a/b");
    fs::create_directories(t + "/other");
    fs::create_symlink(p.dir + "/a", t + "/other/into");
    const std::pair<std::string, bool> rows[] = {
        {p.dir, true}, {p.dir + "/", true}, {p.dir + "/a/b", true}, {p.dir + "/new/deeper", true},
        {t + "/other/into/x", true}, {p.dir + "/a/../..", false}, {t + "/other", false}, {t + "/storex", false},
    };
    for (auto& [path, inside] : rows) EXPECT_EQ(IsInsideFolder(path, p.dir), inside) << path;
    EXPECT_FALSE(IsInsideFolder(p.dir, p.dir + "/missing"));

    ASSERT_EQ(CreateFileAt(p.top.get(), "m.txt", p.At(), p.fd), Created::New);
    SetModificationTime(p.fd.get(), 1173103629);
    struct stat st {};
    ::fstat(p.fd.get(), &st);
    EXPECT_EQ(st.st_mtime, 1173103629);
    EXPECT_TRUE(IsSameFile(p.At(), p.dir + "/a/../m.txt"));
}
