// Saving to files: names, collisions, the path budget, the bytes of each
// command, combined outputs and failures.
#include <gtest/gtest.h>

#include "common/fault.hpp"
#include "export/batch.hpp"
#include "export_fixture.hpp"

namespace fs = std::filesystem;
using namespace pelicard;
using namespace pelicard::testing;

namespace {

const std::string kDate = "05/03/2007 14:07:09", kKey = "_20070305 140709", kD1 = "01/01/2008 10:00:00";
const std::string kSep = "\r\n\r\n" + std::string(71, '-') + "\r\n";

std::string Block(const std::string& subject, const std::string& date, const std::string& body) {
    return "Objet : " + subject + "\r\nDate : " + date + "\r\nExp\xE9" "diteur : Anne\r\n\r\n" + body;
}

class SaveTest : public ExportTest {
protected:
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
};

}  // namespace

// Plain copies are pinned by the tests below; here the edited subject and body.
TEST_F(SaveTest, ModifiedCopiesTakeTheEditedSubjectAndBody) {
    const std::string raw = "From: a\r\nSubject: Re : Budget 2008 ?\r\nNewsgroups: fr.test\r\n\r\n\xE9t\xE9";
    const std::int32_t i = Add("Re : Budget 2008 ?", kDate, "corps", "<t>", raw);
    window.texts["txtSubject"] = "Nouveau \xE0 jour";
    window.texts["txtBody"] = "\xE9" "dit\xE9";
    s.selection.BodyModified = true;
    s.selection.SubjectModified = s.ops.SaveModifiedRaw = true;
    ReadAlone(i);
    s.selection.SubjectModified = s.ops.SaveModifiedRaw = false;  // an unedited subject stays as it was
    s.ops.SaveModifiedText = true;
    ReadAlone(i);
    const std::string name = Dir() + "Re_Budget 2008_m" + kKey;
    EXPECT_EQ(Files().size(), 2u);
    EXPECT_EQ(Slurp(name + ".nws"), "From: a\r\nSubject: Nouveau \xE0 jour\r\nNewsgroups: fr.test\r\n\r\n\xE9t\xE9");
    EXPECT_EQ(Slurp(name + ".txt"), Block("Re : Budget 2008 ?", kDate, "\xE9" "dit\xE9"));
}

TEST_F(SaveTest, OutlookExpressCopyGoesToAFolderNamedAfterTheFile) {
    s.list.Mode = StoreMode::OutlookExpress;
    s.dbx.ChosenPath = root + "/Bo\xC3\xAEte.dbx";
    s.list.Oe.push_back(MessageEntry{0, "Bonjour", "", kDate, kKey.substr(1), ""});
    s.texts.RawText = "Subject: Bonjour\r\nX: Newsgroups: non\r\n\r\ncorps";
    s.ops.SaveAllRaw = true;
    OutputMode mode = kAlone;
    MsgEnd(s, 1, mode);
    EXPECT_EQ(Slurp(s.settings.StorageFolder + "/Bo\xC3\xAEte/Bonjour" + kKey + ".eml"), s.texts.RawText);
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
    EXPECT_EQ(Slurp(base + kKey + ".txt"), Block("R\xE9union", kDate, "corps"));
    EXPECT_EQ(Slurp(base + "-1" + kKey + ".txt"), "ancien");
    EXPECT_EQ(Slurp(base + "-3" + kKey + ".txt"), Block("R\xE9union", kDate, "corps"));
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

TEST_F(SaveTest, FolderThatCannotBeCreatedIsReportedAndEndsTheProgram) {
    s.ops.SaveAllText = true;
    Spill(root + "/store/Archives", "un fichier");
    EXPECT_THROW(ReadAlone(Add("Sujet", kDate, "corps")), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "Impossible de cr\xE9" "er le dossier " + root +
                                        "/store/Archives\r\nUn \xE9l\xE9ment du chemin n'est pas un dossier");
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(Slurp(root + "/store/Archives"), "un fichier");
}

TEST_F(SaveTest, CombinedFilesBySelectionAndByConversation) {
    s.ops.SaveAllText = true;
    const std::int32_t a2 = Add("Re: Projet", "02/01/2008 10:00:00", "a2", "<Projet>");
    const std::int32_t a1 = Add("Projet", kD1, "a1", "<PROJET>");
    const std::int32_t b = Add("Autre", "05/01/2008 10:00:00", "b", "<Autre>");
    Select({b, Add("Re: Projet", "09/01/2008 10:00:00", "a3", "<projet>"), a1, a2});
    s.settings.SelectionOption = 1;
    BatchDriver(s, Read);
    EXPECT_EQ(Files(), std::set<std::string>{"Archives.txt"});
    EXPECT_EQ(Slurp(Dir() + "Archives.txt"), Block("Projet", kD1, "a1") + kSep + Block("Re: Projet", "02/01/2008 10:00:00", "a2") +
                                                 kSep + Block("Autre", "05/01/2008 10:00:00", "b") + kSep +
                                                 Block("Re: Projet", "09/01/2008 10:00:00", "a3"));

    // By conversation: a3 is not next to a1/a2 in the list, so it stands alone.
    fs::remove_all(Dir());
    s.settings = {s.settings.StorageFolder, "", 1, 0, 0};
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
