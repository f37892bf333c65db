// Safe output files: names from sources, creation that never follows a link
// nor writes into an existing file, temporary files renamed without replacing,
// write failures with their reason, and "is this inside that folder".
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

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

// A storage folder `dir` opened as `top`, an outside file that links may aim
// at, and what each case plants under the name "m.txt" before writing.
struct Place {
    TempFolder tmp;
    std::string dir = tmp.Path() + "/store", outside = tmp.Path() + "/outside.txt";
    UniqueFd fd, top;
    Place() { fs::create_directories(dir), top = OpenStorageFolder(dir); }
    std::string At(const std::string& name = "m.txt") const { return dir + "/" + name; }
    std::vector<std::string> Names() const {
        std::vector<std::string> n;
        for (auto& e : fs::directory_iterator(dir)) n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }
};

using Plant = std::function<void(Place&)>;
const Plant kNothing = [](Place&) {};
const Plant kEmpty = [](Place& p) { p.tmp.Write("store/m.txt", ""); };
const Plant kOld = [](Place& p) { p.tmp.Write("store/m.txt", "ancien"); };
const Plant kHardLinkedEmpty = [](Place& p) {
    p.tmp.Write("outside.txt", "");
    fs::create_hard_link(p.outside, p.At());
};
const Plant kLinkToEmpty = [](Place& p) {
    p.tmp.Write("outside.txt", "");
    fs::create_symlink(p.outside, p.At());
};
const Plant kDanglingLink = [](Place& p) { fs::create_symlink(p.outside, p.At()); };
const Plant kFifo = [](Place& p) { ASSERT_EQ(::mkfifo(p.At().c_str(), 0600), 0); };
const Plant kFolder = [](Place& p) { fs::create_directories(p.At()); };

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
    EXPECT_EQ(WithoutControls(".."), "..");
    EXPECT_EQ(WithoutControls("a\x1B" "b/"), "a_b/");
}

// Whatever holds the name, nothing outside the folder changes, nothing is
// written through a link, and an old file keeps its bytes.
TEST(SafeFiles, CreationNeverFollowsALinkNorWritesIntoAnExistingFile) {
    struct Row {
        const char* what;
        Plant plant;
        Created expected;
        std::string after, outsideAfter;
    } rows[] = {
        {"free", kNothing, Created::New, "neuf", "<none>"},
        {"empty", kEmpty, Created::ReplacedEmpty, "neuf", "<none>"},
        {"old", kOld, Created::Taken, "ancien", "<none>"},
        {"hard link to an empty file", kHardLinkedEmpty, Created::ReplacedEmpty, "neuf", ""},
        {"link to an empty file", kLinkToEmpty, Created::Taken, "<none>", ""},
        {"dangling link", kDanglingLink, Created::Taken, "<none>", "<none>"},
        {"fifo", kFifo, Created::Taken, "<none>", "<none>"},
        {"folder", kFolder, Created::Taken, "<none>", "<none>"},
    };
    for (const Row& r : rows) {
        Place p;
        r.plant(p);
        EXPECT_EQ(CreateFileAt(p.top.get(), "m.txt", p.At(), p.fd), r.expected) << r.what;
        if (p.fd.valid()) WriteAllFd(p.fd.get(), "neuf", p.At());
        p.fd.reset();
        EXPECT_EQ(Read(p.outside), r.outsideAfter) << r.what;
        EXPECT_EQ(Read(p.At()), r.after) << r.what;
        EXPECT_EQ(p.Names(), std::vector<std::string>{"m.txt"}) << r.what;  // no temporary left
    }
}

TEST(SafeFiles, SubFolderIsNeverALinkNorAFile) {
    Place p;
    fs::create_directories(p.tmp.Path() + "/elsewhere");
    fs::create_symlink(p.tmp.Path() + "/elsewhere", p.At("lien"));
    p.tmp.Write("store/fichier", "x");
    const std::pair<const char*, const char*> rows[] = {
        {"lien", "Un lien symbolique porte ce nom"}, {"fichier", "Un \xE9l\xE9ment du chemin n'est pas un dossier"}};
    for (auto& [name, reason] : rows) {
        try {
            OpenSubFolder(p.top.get(), name, p.At(name));
            ADD_FAILURE() << name;
        } catch (const Fault& f) {
            EXPECT_EQ(f.Description(), Utf8ToCp1252("Impossible de créer le dossier " + p.At(name)) + "\r\n" + reason);
        }
    }
    EXPECT_TRUE(fs::is_empty(p.tmp.Path() + "/elsewhere"));
    UniqueFd sub = OpenSubFolder(p.top.get(), "neuf", p.At("neuf"));
    EXPECT_TRUE(sub.valid() && fs::is_directory(p.At("neuf")));
}

TEST(SafeFiles, PendingFileIsRenamedOnlyOntoAFreeNameAnEmptyFileOrAConfirmedOne) {
    struct Row {
        const char* what;
        Plant plant;
        bool confirmed, committed;
        std::string after, outsideAfter;
    } rows[] = {
        {"free", kNothing, false, true, "neuf", "<none>"},
        {"empty", kEmpty, false, true, "neuf", "<none>"},
        {"old", kOld, false, false, "ancien", "<none>"},
        {"old, confirmed", kOld, true, true, "neuf", "<none>"},
        {"link, confirmed", kLinkToEmpty, true, false, "<none>", ""},
        {"folder, confirmed", kFolder, true, false, "<none>", "<none>"},
    };
    for (const Row& r : rows) {
        Place p;
        r.plant(p);
        PendingFile f = BeginPending(p.top.get(), "m.txt", p.At());
        WriteAllFd(f.fd.get(), "neuf", p.At());
        EXPECT_EQ(CommitPending(f, r.confirmed), r.committed) << r.what;
        EXPECT_EQ(Read(p.At()), r.after) << r.what;
        EXPECT_EQ(Read(p.outside), r.outsideAfter) << r.what;
        EXPECT_EQ(p.Names(), std::vector<std::string>{"m.txt"}) << r.what;
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
    auto previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 4096;
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
    fs::create_directories(p.dir + "/a/b");
    fs::create_directories(p.tmp.Path() + "/other");
    fs::create_symlink(p.dir + "/a", p.tmp.Path() + "/other/into");
    const std::pair<std::string, bool> rows[] = {
        {p.dir, true}, {p.dir + "/", true}, {p.dir + "/a/b", true}, {p.dir + "/new/deeper", true},
        {p.tmp.Path() + "/other/into/x", true}, {p.dir + "/a/../..", false}, {p.tmp.Path() + "/other", false},
        {p.tmp.Path() + "/storex", false},
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
