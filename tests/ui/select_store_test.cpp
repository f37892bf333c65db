// Opening a store from the window: the refusals of the .dbx and Windows Mail
// openers, what they leave in the window, and a full open of each sample.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/text.hpp"
#include "support/eml_builder.hpp"
#include "support/fake_services.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"

using namespace pelicard;

namespace {

const std::string kSamples = PELICARD_SAMPLES;
const std::string kNoFile = "Pas de fichier s\xE9lectionn\xE9.", kNoneLoaded = "aucun fichier charg\xE9";
const std::string kDbxPanel = "Fichier dbx s\xE9lectionn\xE9", kWmPanel = "Dossier choisi";
using Texts = std::vector<std::string>;

struct OpenStore : ::testing::Test {
    pelicard::testing::FakeWindow w;
    pelicard::testing::FakeDialogs dialogs;
    pelicard::testing::FakeProcesses processes;
    pelicard::testing::TempFolder temp;
    State s;

    void SetUp() override { s.window = &w, s.dialogs = &dialogs, s.processes = &processes; }
    void Open(void (*click)(State&), const std::optional<std::string>& answer) {
        w.boxes.clear(), dialogs.files.push_back(answer);
        click(s);
    }
    // The window as the opener leaves it when it stops before reading.
    void ExpectCleared(const std::string& panel1, const std::string& panel2) {
        EXPECT_EQ(std::pair(w.panels[1], w.panels[2]), std::pair(panel1, panel2));
        EXPECT_EQ(w.texts["lblLvw"], "Liste des messages");
        EXPECT_TRUE(w.rows.empty() && s.list.Count == 0);
        EXPECT_FALSE(w.IsEnabled("mnuSelectAll") || w.IsEnabled("cmdAllTxt") || w.hourglass || s.EditorUpdate);
    }
};

TEST_F(OpenStore, DbxSampleFillsTheListThenCancellingLeavesAnEmptyWindow) {
    Open(mnuFileDbx_Click, kSamples + "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx");
    ASSERT_TRUE(w.boxes.empty()) << w.boxes[0].text;
    EXPECT_EQ(w.texts["lblLvw"], "57/60 messages complets/contenus dans le fichier Bo\xEEte de r\xE9" "ception.dbx");
    EXPECT_EQ(std::pair(w.panels[1], w.panels[2]), std::pair(kDbxPanel, std::string("Bo\xEEte de r\xE9" "ception.dbx")));
    EXPECT_TRUE(w.ListRowCount() == 57 && s.selection.RowFlags == std::vector<bool>(58, false) &&
                w.IsEnabled("mnuSelectAll"));

    Open(mnuFileDbx_Click, std::nullopt);
    EXPECT_EQ(w.BoxTexts(), Texts{kNoFile});
    ExpectCleared(kDbxPanel, kNoneLoaded);
    EXPECT_EQ(s.selection.RowFlags.size(), 1u);
}

TEST_F(OpenStore, DbxRefusals) {
    const std::string lonely = temp.Write("Courrier.dbx", std::string(64, 'x')), empty = temp.Write("vide.dbx", "");
    struct Case { std::string file, storeRoot; bool clientRuns; Texts boxes; std::string panel2; };
    for (const Case& c : {
             Case{temp.Write("Folders.DBX", std::string(64, 'x')), "", false,
                  {"La lecture du fichier Folders.DBX n'est pas autoris\xE9" "e"}, kNoneLoaded},
             Case{empty, "", false, {"Fichier " + Utf8ToCp1252(empty) + " introuvable ou endommag\xE9", kNoFile}, kNoneLoaded},
             // The store folder compared ignoring case, while the client runs.
             Case{lonely, UpperCase(temp.Path()), true, {"Par mesure de s\xE9" "curit\xE9, Outlook Express doit \xEAtre ferm\xE9."}, kNoneLoaded},
             // The same file outside the store folder is read (and refused as no .dbx file).
             Case{lonely, "/ailleurs", true, {}, "Courrier.dbx"}}) {
        SCOPED_TRACE(c.file);
        s.env.StoreRoot = c.storeRoot;
        processes.names = c.clientRuns ? Texts{"bash", "MSIMN.EXE"} : Texts{};
        Open(mnuFileDbx_Click, c.file);
        EXPECT_EQ(w.boxes.size(), std::max<std::size_t>(c.boxes.size(), 1));  // or the header check's own
        if (!c.boxes.empty()) { EXPECT_EQ(w.BoxTexts(), c.boxes); }
        ExpectCleared(kDbxPanel, c.panel2);
    }
}

TEST_F(OpenStore, WindowsMailSampleAndRefusals) {
    const std::string archives = kSamples + "/wm/Archives";
    dialogs.files.push_back(archives + "/synth_000003.eml");
    cmdOpen_Click(s, 1);
    ASSERT_TRUE(w.boxes.empty()) << w.boxes[0].text;
    EXPECT_TRUE(s.list.Mode == StoreMode::WindowsMail && s.wm.WmFolderPath == archives);
    EXPECT_EQ(std::pair(w.panels[1], w.panels[2]), std::pair(kWmPanel, std::string("Archives")));
    // 30 synth, unix-lf, the .NWS; not the empty one
    EXPECT_EQ(w.texts["lblLvw"], "32 messages contenus dans le dossier Archives");

    processes.names = {"WinMail.exe"};  // Windows Mail running: nothing is read
    Open(mnuFileWM_Click, archives + "/synth_000003.eml");
    EXPECT_EQ(w.BoxTexts(), Texts{"Par mesure de s\xE9" "curit\xE9, Windows Mail doit \xEAtre ferm\xE9."});
    ExpectCleared(kWmPanel, "aucun dossier choisi");

    processes.names.clear(), temp.Write("vide.eml", "");  // no valid message: the scan's own box, an empty list
    Open(mnuFileWM_Click, temp.Write("notes.txt", "x"));
    EXPECT_EQ(w.BoxTexts(), Texts{"Le dossier choisi ne contient pas de message valide"});
    EXPECT_TRUE(w.texts["lblLvw"] == "Liste des messages" && !w.hourglass);

    Open(mnuFileWM_Click, std::nullopt);  // cancelled
    EXPECT_EQ(w.BoxTexts(), Texts{kNoFile});
    ExpectCleared(kWmPanel, "aucun dossier choisi");
}

}  // namespace
