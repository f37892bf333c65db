// Opening a store from the window: the refusals of the .dbx and Windows Mail
// openers, what they leave in the window, and a full open of each sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/state.hpp"
#include "common/text.hpp"
#include "dbx/select_dbx.hpp"
#include "support/eml_builder.hpp"
#include "support/fake_services.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"
#include "wm/select_wm.hpp"

using namespace pelicard;
namespace pt = pelicard::testing;

namespace {

const std::string kSamples = PELICARD_SAMPLES;
const std::string kInbox = kSamples + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";
const std::string kNoFile = "Pas de fichier s\xE9lectionn\xE9.";

struct OpenStore : ::testing::Test {
    pt::FakeWindow w;
    pt::FakeDialogs dialogs;
    pt::FakeProcesses processes;
    State s;
    pt::TempFolder temp;

    void SetUp() override { s.window = &w, s.dialogs = &dialogs, s.processes = &processes; }
    void OpenDbx(const std::optional<std::string>& answer) {
        dialogs.files.push_back(answer);
        mnuFileDbx_Click(s);
    }
    // The window as the opener leaves it when it stops before reading.
    void ExpectCleared(const char* panel1, const char* panel2) {
        EXPECT_EQ(w.panels[1], panel1);
        EXPECT_EQ(w.panels[2], panel2);
        EXPECT_EQ(w.texts["lblLvw"], "Liste des messages");
        EXPECT_TRUE(w.rows.empty());
        EXPECT_EQ(s.list.Count, 0);
        EXPECT_FALSE(w.IsEnabled("mnuSelectAll") || w.IsEnabled("cmdAllTxt") || w.hourglass || s.EditorUpdate);
    }
};

TEST_F(OpenStore, DbxSampleFillsTheListThenCancellingLeavesAnEmptyWindow) {
    OpenDbx(kInbox);
    ASSERT_TRUE(w.boxes.empty()) << w.boxes[0].text;
    EXPECT_EQ(w.texts["lblLvw"],
              "57/60 messages complets/contenus dans le fichier Bo\xEEte de r\xE9" "ception.dbx");
    EXPECT_EQ(w.panels[1], "Fichier dbx s\xE9lectionn\xE9");
    EXPECT_EQ(w.panels[2], "Bo\xEEte de r\xE9" "ception.dbx");
    EXPECT_EQ(w.ListRowCount(), 57);
    EXPECT_EQ(s.selection.RowFlags, std::vector<bool>(58, false));
    EXPECT_TRUE(w.IsEnabled("mnuSelectAll"));

    OpenDbx(std::nullopt);
    EXPECT_EQ(w.BoxTexts(), std::vector<std::string>{kNoFile});
    ExpectCleared("Fichier dbx s\xE9lectionn\xE9", "aucun fichier charg\xE9");
    EXPECT_EQ(s.selection.RowFlags.size(), 1u);
}

TEST_F(OpenStore, DbxRefusals) {
    const std::string folders = temp.Write("Folders.DBX", std::string(64, 'x'));
    const std::string empty = temp.Write("vide.dbx", "");
    const std::string lonely = temp.Write("Courrier.dbx", std::string(64, 'x'));
    struct Case { std::string file, storeRoot; bool clientRuns; std::vector<std::string> boxes; const char* panel2; };
    const std::string security = "Par mesure de s\xE9" "curit\xE9, Outlook Express doit \xEAtre ferm\xE9.";
    const Case cases[] = {
        {folders, "", false, {"La lecture du fichier Folders.DBX n'est pas autoris\xE9" "e"}, "aucun fichier charg\xE9"},
        {empty, "", false, {"Fichier " + Utf8ToCp1252(empty) + " introuvable ou endommag\xE9", kNoFile},
         "aucun fichier charg\xE9"},
        // The store folder compared ignoring case, while the client runs.
        {lonely, UpperCase(temp.Path()), true, {security}, "aucun fichier charg\xE9"},
        // The same file outside the store folder is read (and refused as no .dbx file).
        {lonely, "/ailleurs", true, {}, "Courrier.dbx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        w.boxes.clear();
        s.env.StoreRoot = c.storeRoot;
        processes.names = c.clientRuns ? std::vector<std::string>{"bash", "MSIMN.EXE"} : std::vector<std::string>{};
        OpenDbx(c.file);
        EXPECT_EQ(w.boxes.size(), std::max<std::size_t>(c.boxes.size(), 1));  // or the header check's own
        if (!c.boxes.empty()) { EXPECT_EQ(w.BoxTexts(), c.boxes); }
        ExpectCleared("Fichier dbx s\xE9lectionn\xE9", c.panel2);
    }
}

TEST_F(OpenStore, WindowsMailSampleAndRefusals) {
    const std::string archives = kSamples + "/wm/Archives";
    dialogs.files.push_back(archives + "/synth_000003.eml");
    cmdOpen_Click(s, 1);
    ASSERT_TRUE(w.boxes.empty()) << w.boxes[0].text;
    EXPECT_EQ(s.list.Mode, StoreMode::WindowsMail);
    EXPECT_EQ(w.panels[1], "Dossier choisi");
    EXPECT_EQ(w.panels[2], "Archives");
    // 30 synth, unix-lf, the .NWS; not the empty one
    EXPECT_EQ(w.texts["lblLvw"], "32 messages contenus dans le dossier Archives");
    EXPECT_EQ(s.wm.WmFolderPath, archives);

    // Windows Mail running: nothing is read.
    processes.names = {"WinMail.exe"};
    dialogs.files.push_back(archives + "/synth_000003.eml");
    mnuFileWM_Click(s);
    EXPECT_EQ(w.BoxTexts(), std::vector<std::string>{"Par mesure de s\xE9" "curit\xE9, Windows Mail doit \xEAtre ferm\xE9."});
    ExpectCleared("Dossier choisi", "aucun dossier choisi");

    // A folder without a message: the scan's own message, an empty list.
    processes.names.clear(), w.boxes.clear();
    temp.Write("vide.eml", "");
    dialogs.files.push_back(temp.Write("notes.txt", "x"));
    mnuFileWM_Click(s);
    EXPECT_EQ(w.BoxTexts(), std::vector<std::string>{"Le dossier choisi ne contient pas de message valide"});
    EXPECT_EQ(w.texts["lblLvw"], "Liste des messages");
    EXPECT_FALSE(w.hourglass);

    // Cancelled.
    w.boxes.clear();
    mnuFileWM_Click(s);
    EXPECT_EQ(w.BoxTexts(), std::vector<std::string>{kNoFile});
    ExpectCleared("Dossier choisi", "aucun dossier choisi");
}

}  // namespace
