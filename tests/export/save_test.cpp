// Saving and printing: names, collisions, the path budget, the bytes of each
// command, combined outputs, failures, and the print layout (one-unit characters).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "common/fault.hpp"
#include "common/state.hpp"
#include "export/batch.hpp"
#include "export/msg_end.hpp"
#include "export/print.hpp"
#include "support/eml_builder.hpp"
#include "support/fake_printer.hpp"
#include "support/fake_window.hpp"

namespace fs = std::filesystem;
using namespace pelicard;
using namespace pelicard::testing;
using Lines = std::vector<std::string>;

namespace {

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void Spill(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

const std::string kDate = "05/03/2007 14:07:09", kKey = "_20070305 140709", kD1 = "01/01/2008 10:00:00";
const std::string kSep = "\r\n\r\n" + std::string(71, '-') + "\r\n";
const std::string M(11, ' '), kRule = M + std::string(47, '-'), kPage = std::string(170, ' ');  // margin, separator, header

std::string Block(const std::string& subject, const std::string& date, const std::string& body) {
    return "Objet : " + subject + "\r\nDate : " + date + "\r\nExp\xE9" "diteur : Anne\r\n\r\n" + body;
}

// A fresh state wired to the fake window and printer, a temporary storage folder,
// and Windows Mail entries that Read hands over as ReadMsg would.
class ExportTest : public ::testing::Test {
protected:
    ExportTest() {
        fs::create_directories(root + "/src/Archives"), fs::create_directories(root + "/store");
        s.window = &window, s.printer = &printer;
        s.settings.StorageFolder = root + "/store";
        s.list.Mode = StoreMode::WindowsMail;
    }
    // A Windows Mail entry (date "dd/mm/yyyy hh:mm:ss") whose file in <root>/src/Archives holds `raw`.
    std::int32_t Add(const std::string& subject, const std::string& date, const std::string& body,
                     const std::string& thread = "<t>", const std::string& raw = "") {
        const auto i = static_cast<std::int32_t>(s.list.Wm.size());
        WmMessageEntry e{root + "/src/Archives/m" + std::to_string(i) + ".eml", body, subject, "Anne", date, {}, thread, {}};
        e.DateKey = date.substr(6, 4) + date.substr(3, 2) + date.substr(0, 2) + " " + date.substr(11, 2) +
                    date.substr(14, 2) + date.substr(17, 2);
        Spill(e.FilePath, raw);
        s.list.Wm.push_back(e);
        return s.list.Count = i;
    }
    void Select(const std::vector<std::int32_t>& ids) {
        s.selection.SelectionOrder.assign(1, 0);
        s.selection.SelectionOrder.insert(s.selection.SelectionOrder.end(), ids.begin(), ids.end());
        s.selection.SelectionCount = static_cast<std::int32_t>(ids.size());
    }
    static void Read(State& s, std::int32_t i, OutputMode& mode) {
        const WmMessageEntry& e = s.list.Wm[static_cast<std::size_t>(i)];
        s.texts.SubjectLine = "Objet : " + e.Subject + "\r\n";
        s.texts.DateSenderBlock = "Date : " + e.DateText + "\r\nExp\xE9" "diteur : " + e.Sender + "\r\n\r\n";
        s.texts.BodyText = e.Body;
        MsgEnd(s, i, mode);
    }
    void ReadAlone(std::int32_t i) { OutputMode mode = kAlone; Read(s, i, mode); }
    std::string Dir() const { return s.settings.StorageFolder + "/Archives/"; }
    std::set<std::string> Files() const {
        std::set<std::string> names;
        std::error_code ec;
        for (auto& e : fs::directory_iterator(Dir(), ec)) names.insert(e.path().filename().string());
        return names;
    }
    int TooLongBoxes() const {
        return static_cast<int>(std::count_if(window.boxes.begin(), window.boxes.end(), [](const ShownBox& b) {
            return b.text == "Chemin trop long\r\nCe message ne sera pas enregistr\xE9" && b.icon == MsgIcon::Critical;
        }));
    }
    // A storage folder such that its output directory and `tail` have `total` characters.
    void Budget(std::size_t total, std::size_t tail) {
        s.settings.StorageFolder = root + "/" + std::string(total - tail - root.size() - 11, 'p');
        fs::create_directories(s.settings.StorageFolder);
    }

    TempFolder tmp;
    const std::string root = tmp.Path();
    State s;
    FakeWindow window;
    FakePrinter printer;
};
using SaveTest = ExportTest;
using PrintTest = ExportTest;

}  // namespace

TEST(SavedNames, SubjectToNameAndTheRawHeaderFacts) {
    const char* names[][2] = {
        {"Re : Budget 2008 ?", "Re_Budget 2008"}, {"???", "___"}, {"R\xE9union: ordre ?", "R\xE9union_ ordre"},
        {"a/b\\c<d>e|f'g\"h*i", "a_b_c_d_e_f_g_h_i"}, {"Note.  ", "Note.  "}, {"fin___", "fin"},
    };
    for (auto& c : names) EXPECT_EQ(StandardName(c[0]), c[1]) << c[0];
    // Newsgroups only at the start of a header line.
    const char* extensions[][2] = {
        {"From: a\nnewsgroups: fr.test\n\nbody", "nws"}, {"From: a\r\n\r\nNewsgroups: body", "eml"},
        {"Subject: B\r\nX: Newsgroups: non\r\n\r\nc", "eml"}};
    for (auto& c : extensions) EXPECT_EQ(RawExtension(c[0]), c[1]) << c[0];
    const char* subjects[][2] = {
        {"X-Subject: no\nsubject: old\nTo: b\n\nSubject: body", "X-Subject: no\nsubject: NEW\nTo: b\n\nSubject: body"},
        {"Subject:\r\nTo: b\r\n\r\nb", "Subject:NEW\r\nTo: b\r\n\r\nb"},                 // empty: next header kept
        {"Subject: long\r\n old tail\r\nTo: b\r\n\r\nb", "Subject: NEW\r\nTo: b\r\n\r\nb"},  // folded: replaced whole
        {"From: a\r\n\r\nSubject: b", "Subject: NEW\r\nFrom: a\r\n\r\nSubject: b"},  // none: added at the head
    };
    for (auto& c : subjects) EXPECT_EQ(ReplaceRawSubject(c[0], "NEW"), c[1]) << c[0];
}

// Plain copies are pinned by the tests below; here the edited subject and body.
TEST_F(SaveTest, ModifiedCopiesTakeTheEditedSubjectAndBody) {
    const std::string raw = "From: a\r\nSubject: Re : Budget 2008 ?\r\nNewsgroups: fr.test\r\n\r\n\xE9t\xE9";
    const std::int32_t i = Add("Re : Budget 2008 ?", kDate, "corps", "<t>", raw);
    window.texts["txtSubject"] = "Nouveau \xE0 jour";
    window.texts["txtBody"] = "\xE9" "dit\xE9";
    s.selection.BodyModified = s.selection.SubjectModified = s.ops.SaveModifiedRaw = true;
    ReadAlone(i);
    s.selection.SubjectModified = s.ops.SaveModifiedRaw = false;  // an unedited subject stays as it was
    s.ops.SaveModifiedText = true;
    ReadAlone(i);
    const std::string name = Dir() + "Re_Budget 2008_m" + kKey;
    EXPECT_EQ(Files().size(), 2u);
    EXPECT_EQ(Slurp(name + ".nws"), "From: a\r\nSubject: Nouveau \xE0 jour\r\nNewsgroups: fr.test\r\n\r\n\xE9t\xE9");
    EXPECT_EQ(Slurp(name + ".txt"), Block("Re : Budget 2008 ?", kDate, "\xE9" "dit\xE9"));
}

// The output folder is named after the store (an Outlook Express file without ".dbx", the Windows Mail
// folder read), made one safe name like the subject: nothing climbs out nor carries control characters.
TEST_F(SaveTest, OutputFolderAndNameComeSafelyFromTheStoreAndTheSubject) {
    const std::string odd = "a\x1B]0;x\x07";
    s.list.Mode = StoreMode::OutlookExpress;
    for (const std::string& subject : {std::string("Bonjour"), odd})
        s.list.Oe.push_back(MessageEntry{0, subject, "", kDate, kKey.substr(1), ""});
    s.texts.RawText = "Subject: Bonjour\r\n\r\ncorps";
    s.texts.BodyText = "corps";
    s.ops.SaveAllRaw = true;
    s.dbx.ChosenPath = root + "/Bo\xC3\xAEte.dbx";
    OutputMode mode = kAlone;
    MsgEnd(s, 1, mode);
    s.ops.SaveAllRaw = false, s.ops.SaveAllText = true, s.dbx.ChosenPath = root + "/...dbx", mode = kAlone;
    MsgEnd(s, 2, mode);
    s.list.Mode = StoreMode::WindowsMail;  // a source folder given as ".../Archives/.."
    Add(odd, kDate, "corps");
    s.list.Wm[1].FilePath = root + "/src/Archives/../m1.eml";
    ReadAlone(1);
    std::set<std::string> all;
    for (auto& e : fs::recursive_directory_iterator(root + "/store")) all.insert(e.path().string().substr(root.size()));
    EXPECT_EQ(all, (std::set<std::string>{"/store/Bo\xC3\xAEte", "/store/Bo\xC3\xAEte/Bonjour" + kKey + ".eml", "/store/_",
                                          "/store/_/a_]0;x_" + kKey + ".txt", "/store/_/a_]0;x_-1" + kKey + ".txt"}));
    EXPECT_EQ(Slurp(root + "/store/Bo\xC3\xAEte/Bonjour" + kKey + ".eml"), s.texts.RawText);
}

TEST_F(SaveTest, CollisionsAreNumberedAndNothingIsOverwritten) {
    s.ops.SaveAllText = true;
    const std::int32_t i = Add("R\xE9union", kDate, "corps");
    const std::string base = Dir() + "R\xC3\xA9union";
    fs::create_directories(Dir());
    Spill(base + kKey + ".txt", "");  // an empty file is no collision
    Spill(base + "-1" + kKey + ".txt", "ancien");
    for (int k = 0; k < 3; ++k) ReadAlone(i);
    EXPECT_EQ(Files().size(), 4u);
    EXPECT_EQ(Slurp(base + "-1" + kKey + ".txt"), "ancien");
    EXPECT_EQ(Slurp(base + kKey + ".txt"), Block("R\xE9union", kDate, "corps"));
    EXPECT_EQ(Slurp(base + "-3" + kKey + ".txt"), Slurp(base + kKey + ".txt"));
}

TEST_F(SaveTest, PathBudgetAndNameLimit) {
    s.ops.SaveAllText = true;
    const std::int32_t i = Add("R\xE9union", kDate, "corps");
    Budget(255, kKey.size() + 4);  // one character over
    ReadAlone(i);
    EXPECT_EQ(TooLongBoxes(), 1);
    EXPECT_TRUE(Files().empty());
    Budget(254, kKey.size() + 4);
    ReadAlone(i);
    ReadAlone(i);  // the collision counter no longer fits
    EXPECT_EQ(Files(), std::set<std::string>{"R" + kKey + ".txt"});
    EXPECT_EQ(TooLongBoxes(), 2);
    // A long accented subject is cut to the file system's 255-byte name limit.
    s.settings.StorageFolder = root + "/store";
    const std::int32_t j = Add(std::string(200, '\xE9'), kDate, "corps");
    ReadAlone(j);
    ReadAlone(j);
    std::string e;
    for (int k = 0; k < 117; ++k) e += "\xC3\xA9";
    EXPECT_EQ(Files(), (std::set<std::string>{e + kKey + ".txt", e.substr(0, 232) + "-1" + kKey + ".txt"}));
    EXPECT_EQ(TooLongBoxes(), 2);
}

// A link or a file planted as the store's sub-folder is reported, ends the program, and nothing goes through it.
// (An empty file hard-linked under a chosen name: safe_files_test.cpp.)
TEST_F(SaveTest, SubFolderThatIsALinkOrAFileIsReportedAndEndsTheProgram) {
    s.ops.SaveAllText = true;
    const std::int32_t i = Add("Sujet", kDate, "corps");
    const std::string sub = root + "/store/Archives";
    fs::create_directories(root + "/elsewhere");
    for (const bool link : {true, false}) {
        fs::remove(sub);
        link ? fs::create_directory_symlink(root + "/elsewhere", sub) : Spill(sub, "un fichier");
        window.closed = s.Quitting = false;
        EXPECT_THROW(ReadAlone(i), ProgramEnding);
        EXPECT_EQ(window.BoxTexts().back(), "Impossible de cr\xE9" "er le dossier " + sub + "\r\n" +
                                                (link ? "Un lien symbolique porte ce nom"
                                                      : "Un \xE9l\xE9ment du chemin n'est pas un dossier"));
        EXPECT_TRUE(window.closed);
    }
    EXPECT_TRUE(fs::is_empty(root + "/elsewhere"));
    EXPECT_EQ(Slurp(sub), "un fichier");
    EXPECT_EQ(window.boxes.size(), 2u);
}

// By conversation: a3 is not next to a1/a2 in the list, so it stands alone.
TEST_F(SaveTest, CombinedFilesByConversation) {
    s.ops.SaveAllText = true;
    s.settings.GroupingOption = 1;
    const std::int32_t a2 = Add("Re: Projet", "02/01/2008 10:00:00", "a2", "<Projet>");
    const std::int32_t a1 = Add("Projet", kD1, "a1", "<PROJET>");
    const std::int32_t b = Add("Autre", "05/01/2008 10:00:00", "b", "<Autre>");
    Select({b, Add("Re: Projet", "09/01/2008 10:00:00", "a3", "<projet>"), a1, a2});
    BatchDriver(s, Read);
    EXPECT_EQ(Files(), (std::set<std::string>{"Autre_20080105 100000.txt", "Projet.txt", "Re_ Projet_20080109 100000.txt"}));
    EXPECT_EQ(Slurp(Dir() + "Projet.txt"),
              Block("Projet", kD1, "a1") + kSep + "Date : 02/01/2008 10:00:00\r\nExp\xE9" "diteur : Anne\r\n\r\na2");
}

TEST_F(SaveTest, CombinedOutputFollowsWhatItsFirstMessageDid) {
    s.ops.SaveAllText = true;
    s.settings.SelectionOption = 1;
    const std::int32_t a = Add("A", kD1, "a"), b = Add("B", "02/01/2008 10:00:00", "b");
    Select({a, b});
    // The first message wrote nothing (no text): the next one begins the file.
    OutputMode following = kFollowing, last = kLast;
    Read(s, a, following);
    Read(s, b, last);
    EXPECT_EQ(Slurp(Dir() + "Archives.txt"), Block("A", kD1, "a") + kSep + Block("B", "02/01/2008 10:00:00", "b"));
    // The first message's path is too long: the rest of the output is skipped.
    Budget(255, 4);
    Select({a, b, Add("C", "03/01/2008 10:00:00", "c")});
    BatchDriver(s, Read);
    EXPECT_EQ(TooLongBoxes(), 1);
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(s.exp.SkippedCount, 3);
    EXPECT_FALSE(window.closed);
}

// A line wraps at a space; then the long word is cut hard, not at the earlier space, and nothing is lost.
// A page holds 63 lines, then the header of the next.
TEST_F(PrintTest, LinesWrapWithoutLosingCharactersAndPagesHoldSixtyThree) {
    s.exp.WidthLimit = 5;
    PrintLine(s, "ab cdefghijklmnop");
    for (int k = 0; k < 60; ++k) PrintLine(s, "x");
    EXPECT_EQ(Lines(printer.lines.begin(), printer.lines.begin() + 4), (Lines{M + "ab", M + "cdefg", M + "hijkl", M + "mnop"}));
    EXPECT_EQ(Lines(printer.lines.begin() + 62, printer.lines.end()), (Lines{M + "x", "<page>", "", kPage + "2", "", M + "x"}));
}

TEST_F(PrintTest, SelectionIsOneJobWithSeparatorsInDateOrder) {
    s.ops.PrintSelected = true;
    s.settings.SelectionOption = 1;
    printer.pageWidth = 101;  // limit 91 (90.9 rounded)
    Select({Add("A", "03/01/2008 10:00:00", "a1\r\na2"), Add("B", "01/01/2008 10:00:00", "b")});
    BatchDriver(s, Read);
    EXPECT_EQ(s.exp.WidthLimit, 91);
    Lines expected = {"", kPage + "1", ""};
    for (const char* l : {"Objet : B", "Date : 01/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "b", "", "-",
                          "Date : 03/01/2008 10:00:00", "Exp\xE9" "diteur : Anne", "", "a1", "a2"})
        expected.push_back(*l == 0 ? "" : *l == '-' ? kRule : M + l);
    expected.push_back("<end>");
    EXPECT_EQ(printer.lines, expected);
}

TEST_F(PrintTest, FollowingMessageStartsANewPageWhenMoreThan57LinesAreCounted) {
    s.ops.PrintSelected = true;
    s.settings.SelectionOption = 1;
    for (std::size_t n : {53u, 54u}) {  // 4 + n lines counted after the first message
        printer.lines.clear();
        s.list.Wm.resize(1);
        std::string body = "l";
        for (std::size_t k = 1; k < n; ++k) body += "\r\nl";
        Select({Add("A", "01/01/2008 10:00:00", body), Add("B", "02/01/2008 10:00:00", "b")});
        BatchDriver(s, Read);
        const Lines next = n == 53 ? Lines{"", kRule} : Lines{"<page>", "", kPage + "2", "", "", kRule};
        const auto after = printer.lines.begin() + static_cast<std::ptrdiff_t>(7 + n);  // after the first message
        EXPECT_EQ(Lines(after, after + static_cast<std::ptrdiff_t>(next.size())), next) << n;
    }
}

TEST_F(SaveTest, NothingIsSavedIntoTheFolderBeingRead) {
    s.ops.SaveAllRaw = true;
    s.settings.StorageFolder = root + "/src";  // <storage>/Archives is the store itself
    Select({Add("A", kDate, "a", "<t>", "Subject: A\r\n\r\na"), Add("B", kD1, "b", "<t>", "Subject: B\r\n\r\nb")});
    for (std::int32_t i : {1, 2}) ReadAlone(i);
    EXPECT_EQ(Files(), (std::set<std::string>{"m1.eml", "m2.eml"}));
    EXPECT_EQ(window.boxes.size(), 1u);
    ASSERT_EQ(s.exp.LeftOut.size(), 2u);
    EXPECT_EQ(s.exp.LeftOut[1].Id, 2);
    EXPECT_EQ(s.exp.LeftOut[1].Reason, "dossier de stockage situ\xE9 dans le dossier lu");
}

// A raw copy of a Windows Mail message is its file byte for byte, whatever
// its size and wherever its header ends; large files are copied piece by
// piece (the head names the copy .nws or .eml as the whole file would).
TEST_F(SaveTest, LargeWindowsMailCopiesAreTheFileByteForByte) {
    s.ops.SaveAllRaw = true;
    const std::string big(3u << 20, 'x');
    const struct { std::string name, raw, extension; } rows[] = {
        {"small", "Subject: a\r\n\r\ncorps", ".eml"},
        {"large", "Subject: b\r\nNewsgroups: fr.test\r\n\r\n" + big + "\r\nfin", ".nws"},
        {"lf-only", "Subject: c\n\n" + big + "\r\n\r\nNewsgroups: x", ".eml"},
        {"no-header-end", "Subject: d\r\n" + big, ".eml"},
        {"late-header-end", "Subject: e\r\n" + big + "\r\nNewsgroups: y\r\n\r\nfin", ".nws"},
        {"exactly-one-piece", "Subject: f\r\n\r\n" + std::string((1u << 20) - 15, 'y'), ".eml"},
    };
    for (const auto& r : rows) {
        ReadAlone(Add(r.name, kDate, "corps", "<t>", r.raw));
        EXPECT_TRUE(Slurp(Dir() + r.name + kKey + r.extension) == r.raw) << r.name;  // no dump of 3 MB on failure
    }
    EXPECT_TRUE(window.boxes.empty());
}
