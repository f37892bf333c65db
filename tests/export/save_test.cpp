// Saving messages to files: names, collisions, the path budget, the bytes
// of each command, combined outputs and failures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/fault.hpp"
#include "common/text.hpp"
#include "export/batch.hpp"
#include "export/msg_end.hpp"
#include "export_fixture.hpp"

namespace fs = std::filesystem;
using namespace pelicard;
using pelicard::testing::ExportTest;
using pelicard::testing::ReadFileBytes;
using pelicard::testing::WriteFileBytes;

namespace {

const std::string kKey = "20070305 140709";
const std::string kDate = "05/03/2007 14:07:09";
const std::string kSender = "Date : " + kDate + "\r\nExp\xE9" "diteur : Anne\r\n\r\n";
const std::string kChefBoxText = "Chemin trop long\r\nCe message ne sera pas enregistr\xE9";

class SaveTest : public ExportTest {
protected:
    void SaveAlone(std::int32_t i) {
        Load(i);
        OutputMode mode = kAlone;
        MsgEnd(s, i, mode);
    }
    int TooLongBoxes() const {
        int n = 0;
        for (const auto& b : window.boxes) n += b.text == kChefBoxText && b.icon == MsgIcon::Critical;
        return n;
    }
    // A storage folder whose output directory + tail has `total` characters.
    void StorageForBudget(std::size_t total, std::size_t tail) {
        const std::size_t storage = total - tail - std::string("/Archives/").size();
        std::string pad(storage - root.size() - 1, 'p');
        s.settings.StorageFolder = root + "/" + pad;
        fs::create_directories(s.settings.StorageFolder);
    }
    std::string Dir() const { return s.settings.StorageFolder + "/Archives/"; }
};

}  // namespace

TEST_F(SaveTest, DoesNothingWhenNoCommandRuns) {
    SaveAlone(AddMessage("Sujet", kDate, "corps"));
    EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(SaveTest, TextFileIsNamedAfterSubjectAndDateAndHoldsTheLayoutOnly) {
    s.ops.SaveAllText = true;
    SaveAlone(AddMessage("Re : Budget 2008 ?", kDate, "ligne 1\r\nligne 2"));
    ASSERT_EQ(OutputFiles(), std::vector<std::string>{"Re_Budget 2008_" + kKey + ".txt"});
    EXPECT_EQ(Output("Re_Budget 2008_" + kKey + ".txt"),
              "Objet : Re : Budget 2008 ?\r\n" + kSender + "ligne 1\r\nligne 2");
}

TEST_F(SaveTest, EachCommandWritesItsBytes) {
    const std::string raw = "From: a\r\nSubject: Vieux\r\nNewsgroups: fr.test\r\n\r\nx\r\n\xE9t\xE9\r\n";
    struct Case {
        const char* what;
        bool OperationKind::*flag;
        bool subjectModified, bodyModified;
        std::string name, content;
    } cases[] = {
        {"all raw", &OperationKind::SaveAllRaw, false, false, "Vieux_" + kKey + ".nws", raw},
        {"modified raw", &OperationKind::SaveModifiedRaw, true, true, "Vieux_m_" + kKey + ".nws",
         "From: a\r\nSubject: Nouveau \xE0 jour\r\nNewsgroups: fr.test\r\n\r\nx\r\n\xE9t\xE9\r\n"},
        {"modified text, subject and body", &OperationKind::SaveModifiedText, true, true,
         "Vieux_m_" + kKey + ".txt", "Objet : Nouveau \xE0 jour\r\n" + kSender + "corps\r\n\xE9" "dit\xE9"},
        {"modified text, body only", &OperationKind::SaveModifiedText, false, true,
         "Vieux_m_" + kKey + ".txt", "Objet : Vieux\r\n" + kSender + "corps\r\n\xE9" "dit\xE9"},
    };
    const std::int32_t i = AddMessage("Vieux", kDate, "x", "<t>", raw);
    window.texts["txtSubject"] = "Nouveau \xE0 jour";
    window.texts["txtBody"] = "corps\r\n\xE9" "dit\xE9";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(OutputDir());
        s.ops = {};
        s.ops.*c.flag = true;
        s.selection.SubjectModified = c.subjectModified;
        s.selection.BodyModified = c.bodyModified;
        SaveAlone(i);
        ASSERT_EQ(OutputFiles(), std::vector<std::string>{c.name});
        EXPECT_EQ(Output(c.name), c.content);
        EXPECT_FALSE(s.EditorUpdate);
    }
}

TEST_F(SaveTest, OutlookExpressRawCopyIsTheStoredTextInAFolderNamedAfterTheFile) {
    s.list.Mode = StoreMode::OutlookExpress;
    s.dbx.ChosenPath = root + "/src/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";
    MessageEntry e;
    e.Subject = "Bonjour";
    e.DateText = kDate;
    e.DateKey = kKey;
    s.list.Oe.push_back(e);
    s.list.Count = 1;
    s.texts.RawText = "Subject: Bonjour\r\nX: Newsgroups: non\r\n\r\nNewsgroups: corps\r\n";
    s.ops.SaveAllRaw = true;
    OutputMode mode = kAlone;
    MsgEnd(s, 1, mode);
    const fs::path file = s.settings.StorageFolder + "/Bo\xC3\xAEte de r\xC3\xA9" "ception/Bonjour_" + kKey + ".eml";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(ReadFileBytes(file), s.texts.RawText);
}

TEST_F(SaveTest, CollisionsAreNumberedAndNothingIsOverwritten) {
    s.ops.SaveAllText = true;
    const std::int32_t i = AddMessage("R\xE9union", kDate, "corps");
    const std::string base = "R\xC3\xA9union";  // on disk, UTF-8
    fs::create_directories(OutputDir());
    // An empty file is no collision: it is written from its start.
    WriteFileBytes(OutputDir() + base + "_" + kKey + ".txt", "");
    WriteFileBytes(OutputDir() + base + "-1_" + kKey + ".txt", "d\xE9j\xE0 l\xE0");
    SaveAlone(i);
    SaveAlone(i);
    SaveAlone(i);
    EXPECT_EQ(OutputFiles(), (std::vector<std::string>{base + "-1_" + kKey + ".txt", base + "-2_" + kKey + ".txt",
                                                      base + "-3_" + kKey + ".txt", base + "_" + kKey + ".txt"}));
    const std::string expected = "Objet : R\xE9union\r\n" + kSender + "corps";
    EXPECT_EQ(Output(base + "_" + kKey + ".txt"), expected);
    EXPECT_EQ(Output(base + "-1_" + kKey + ".txt"), "d\xE9j\xE0 l\xE0");
    EXPECT_EQ(Output(base + "-3_" + kKey + ".txt"), expected);
}

TEST_F(SaveTest, PathBudgetOneCharacterEitherSide) {
    s.ops.SaveAllText = true;
    const std::int32_t i = AddMessage("R\xE9union", kDate, "corps");
    const std::size_t tail = ("_" + kKey + ".txt").size();

    StorageForBudget(255, tail);
    SaveAlone(i);
    EXPECT_EQ(TooLongBoxes(), 1);
    EXPECT_FALSE(fs::exists(Dir()) && !fs::is_empty(Dir()));

    StorageForBudget(254, tail);
    SaveAlone(i);
    EXPECT_TRUE(fs::exists(Dir() + "R_" + kKey + ".txt"));
    EXPECT_EQ(TooLongBoxes(), 1);
    // The collision counter no longer fits.
    SaveAlone(i);
    EXPECT_EQ(TooLongBoxes(), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir()), fs::directory_iterator{}), 1);
}

TEST_F(SaveTest, LongAccentedSubjectIsCutToTheFileSystemsNameLimit) {
    s.ops.SaveAllText = true;
    const std::int32_t i = AddMessage(std::string(200, '\xE9'), kDate, "corps");
    SaveAlone(i);
    SaveAlone(i);
    std::string e;
    for (int k = 0; k < 117; ++k) e += "\xC3\xA9";
    const std::string first = e + "_" + kKey + ".txt";       // 255 bytes
    const std::string second = e.substr(0, 232) + "-1_" + kKey + ".txt";
    EXPECT_EQ(first.size(), 254u);
    EXPECT_EQ(OutputFiles(), (std::vector<std::string>{second, first}));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(SaveTest, ByFolderNameWhenSelectionOptionCoversSeveralMessages) {
    s.ops.SaveAllRaw = true;
    s.settings.SelectionOption = 1;
    const std::int32_t a = AddMessage("Un", kDate, "", "<t>", "Subject: Un\r\n\r\nun");
    const std::int32_t b = AddMessage("Deux", kDate, "", "<t>", "Subject: Deux\r\n\r\ndeux");
    Select({a, b});
    SaveAlone(a);
    SaveAlone(b);
    EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"Archives-1_" + kKey + ".eml", "Archives_" + kKey + ".eml"}));
    EXPECT_EQ(Output("Archives-1_" + kKey + ".eml"), "Subject: Deux\r\n\r\ndeux");
}

TEST_F(SaveTest, WindowsMailRawCopyIsTheMessageFileItself) {
    const std::string sample = std::string(PELICARD_SAMPLES) + "/wm/Archives/Sauvegarde.NWS";
    const std::string bytes = ReadFileBytes(sample);
    ASSERT_FALSE(bytes.empty());
    const std::int32_t i = AddMessage("Sauvegarde", kDate, "", "<t>", bytes);
    s.texts = {};  // the Windows Mail reader leaves no raw text
    s.ops.SaveAllRaw = true;
    OutputMode mode = kAlone;
    MsgEnd(s, i, mode);
    ASSERT_EQ(OutputFiles(), std::vector<std::string>{"Sauvegarde_" + kKey + ".nws"});
    EXPECT_EQ(Output("Sauvegarde_" + kKey + ".nws"), bytes);
}

TEST_F(SaveTest, FolderThatCannotBeCreatedIsReportedWithPathAndReason) {
    s.ops.SaveAllText = true;
    const std::int32_t i = AddMessage("Sujet", kDate, "corps");
    WriteFileBytes(root + "/store/Archives", "un fichier");
    EXPECT_THROW(SaveAlone(i), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "MsgEnd");
    EXPECT_EQ(window.boxes[0].text, "Impossible de cr\xE9" "er le dossier " + root +
                                        "/store/Archives\r\nUn \xE9l\xE9ment du chemin n'est pas un dossier");
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(ReadFileBytes(root + "/store/Archives"), "un fichier");
}

TEST_F(SaveTest, FileThatCannotBeCreatedIsReportedWithPathAndReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    s.ops.SaveAllText = true;
    const std::int32_t i = AddMessage("Sujet", kDate, "corps");
    fs::create_directories(OutputDir());
    WriteFileBytes(OutputDir() + "Sujet_" + kKey + ".txt", "ancien");
    ::chmod(OutputDir().c_str(), 0555);
    EXPECT_THROW(SaveAlone(i), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].title, "MsgEnd");
    EXPECT_EQ(window.boxes[0].text, "Impossible de cr\xE9" "er le fichier " + OutputDir() + "Sujet-1_" + kKey +
                                        ".txt\r\nPermission refus\xE9" "e");
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(Output("Sujet_" + kKey + ".txt"), "ancien");
}

TEST_F(SaveTest, SelectionOptionCombinesEverythingInDateOrder) {
    s.ops.SaveAllText = true;
    s.settings.SelectionOption = 1;
    const std::int32_t a = AddMessage("A", "03/01/2008 10:00:00", "a", "<A>");
    const std::int32_t b = AddMessage("B", "01/01/2008 10:00:00", "b", "<B>");
    const std::int32_t c = AddMessage("C", "02/01/2008 10:00:00", "c", "<C>");
    Select({c, a, b});
    BatchDriver(s, FakeRead);
    ASSERT_EQ(OutputFiles(), std::vector<std::string>{"Archives.txt"});
    const std::string sep = "\r\n\r\n" + std::string(71, '-') + "\r\n";
    auto block = [](const std::string& subject, const std::string& date, const std::string& body) {
        return "Objet : " + subject + "\r\nDate : " + date + "\r\nExp\xE9" "diteur : Anne\r\n\r\n" + body;
    };
    EXPECT_EQ(Output("Archives.txt"), block("B", "01/01/2008 10:00:00", "b") + sep +
                                          block("C", "02/01/2008 10:00:00", "c") + sep +
                                          block("A", "03/01/2008 10:00:00", "a"));
}

TEST_F(SaveTest, GroupingOptionCombinesAdjacentRunsOfOneConversation) {
    s.ops.SaveAllText = true;
    s.settings.GroupingOption = 1;
    const std::int32_t a2 = AddMessage("Re: Projet", "02/01/2008 10:00:00", "a2", "<Projet>");
    const std::int32_t a1 = AddMessage("Projet", "01/01/2008 10:00:00", "a1", "<PROJET>");
    const std::int32_t b = AddMessage("Autre", "05/01/2008 10:00:00", "b", "<Autre>");
    const std::int32_t a3 = AddMessage("Re: Projet", "09/01/2008 10:00:00", "a3", "<projet>");
    Select({b, a3, a1, a2});
    BatchDriver(s, FakeRead);
    // a3 is not next to a1/a2 in the list: it is a run of its own.
    EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"Autre_20080105 100000.txt", "Projet.txt",
                                                      "Re_ Projet_20080109 100000.txt"}));
    EXPECT_EQ(Output("Projet.txt"), "Objet : Projet\r\nDate : 01/01/2008 10:00:00\r\nExp\xE9" "diteur : Anne\r\n\r\na1" +
                                        std::string("\r\n\r\n") + std::string(71, '-') +
                                        "\r\nDate : 02/01/2008 10:00:00\r\nExp\xE9" "diteur : Anne\r\n\r\na2");
}

TEST_F(SaveTest, CombinedOutputWhoseFirstMessageIsSkippedSkipsTheRest) {
    s.ops.SaveAllText = true;
    s.settings.SelectionOption = 1;
    std::vector<std::int32_t> ids;
    for (int k = 1; k <= 3; ++k) ids.push_back(AddMessage("S", "0" + std::to_string(k) + "/01/2008 10:00:00", "x"));
    Select(ids);
    StorageForBudget(255, std::string(".txt").size());
    BatchDriver(s, FakeRead);
    EXPECT_EQ(TooLongBoxes(), 1);
    EXPECT_FALSE(fs::exists(Dir()) && !fs::is_empty(Dir()));
    EXPECT_EQ(s.exp.OutputFd, -1);
    EXPECT_FALSE(window.closed);
}

TEST_F(SaveTest, FollowingMessageBeginsTheFileWhenTheFirstWroteNothing) {
    s.ops.SaveAllText = true;
    s.settings.SelectionOption = 1;
    const std::int32_t a = AddMessage("A", "01/01/2008 10:00:00", "a");
    const std::int32_t b = AddMessage("B", "02/01/2008 10:00:00", "b");
    Select({a, b});
    OutputMode m2 = kFollowing, m3 = kLast;
    FakeRead(s, a, m2);
    FakeRead(s, b, m3);
    EXPECT_EQ(Output("Archives.txt"), "Objet : A\r\nDate : 01/01/2008 10:00:00\r\nExp\xE9" "diteur : Anne\r\n\r\na" +
                                          std::string("\r\n\r\n") + std::string(71, '-') +
                                          "\r\nObjet : B\r\nDate : 02/01/2008 10:00:00\r\nExp\xE9" "diteur : Anne\r\n\r\nb");
}
