// Opening a store from the window: a full open of each sample; the refusals of
// the .dbx and Windows Mail openers and the empty window they leave.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "common/text.hpp"
#include "support/eml_builder.hpp"
#include "support/fake_services.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"

using namespace pelicard;
using namespace std::string_literals;

namespace {

const std::string kDbxSample = PELICARD_SAMPLES "/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx";
const std::string kArchives = PELICARD_SAMPLES "/wm/Archives";
const std::string kNoFile = "Pas de fichier s\xE9lectionn\xE9.", kNoneLoaded = "aucun fichier charg\xE9";
const std::string kDbxPanel = "Fichier dbx s\xE9lectionn\xE9", kWmPanel = "Dossier choisi";
using Texts = std::vector<std::string>;

struct OpenStore : ::testing::Test {
    pelicard::testing::FakeWindow w;
    pelicard::testing::FakeDialogs dialogs;
    pelicard::testing::FakeProcesses processes;
    pelicard::testing::TempFolder temp;
    State s;

    OpenStore() { s.window = &w, s.dialogs = &dialogs, s.processes = &processes; }
    void Open(void (*click)(State&), const std::optional<std::string>& answer) {
        w.boxes.clear(), dialogs.files.push_back(answer);
        click(s);
    }
};

TEST_F(OpenStore, EachSampleFillsTheList) {
    Open(mnuFileDbx_Click, kDbxSample);
    ASSERT_TRUE(w.boxes.empty()) << w.boxes[0].text;
    EXPECT_EQ(w.texts["lblLvw"], "57/60 messages complets/contenus dans le fichier Bo\xEEte de r\xE9" "ception.dbx");
    EXPECT_EQ(std::pair(w.panels[1], w.panels[2]), std::pair(kDbxPanel, std::string("Bo\xEEte de r\xE9" "ception.dbx")));
    EXPECT_TRUE(w.ListRowCount() == 57 && s.selection.RowFlags == std::vector<bool>(58, false) &&
                w.IsEnabled("mnuSelectAll"));

    dialogs.files.push_back(kArchives + "/synth_000003.eml"), cmdOpen_Click(s, 1);
    ASSERT_TRUE(w.boxes.empty()) << w.boxes[0].text;
    EXPECT_TRUE(s.list.Mode == StoreMode::WindowsMail && s.wm.WmFolderPath == kArchives);
    EXPECT_EQ(std::pair(w.panels[1], w.panels[2]), std::pair(kWmPanel, std::string("Archives")));
    // 30 synth, unix-lf, the .NWS; not the empty one
    EXPECT_EQ(w.texts["lblLvw"], "32 messages contenus dans le dossier Archives");
}

// Each refusal, with a store loaded before it: its boxes, then the window emptied.
TEST_F(OpenStore, RefusalsLeaveAnEmptyWindow) {
    const std::string lonely = temp.Write("Courrier.dbx", std::string(64, 'x')), empty = temp.Write("vide.dbx", "");
    const std::string noFolder = "aucun dossier choisi", closeIt = "Par mesure de s\xE9" "curit\xE9, ";
    temp.Write("vide.eml", "");  // not a valid message
    struct Case { void (*click)(State&); std::optional<std::string> file; std::string storeRoot; Texts running, boxes;
                  std::string panel2; };
    for (const Case& c : {
             Case{mnuFileDbx_Click, std::nullopt, "", {}, {kNoFile}, kNoneLoaded},
             Case{mnuFileDbx_Click, temp.Write("Folders.DBX", std::string(64, 'x')), "", {},
                  {"La lecture du fichier Folders.DBX n'est pas autoris\xE9" "e"}, kNoneLoaded},
             Case{mnuFileDbx_Click, empty, "", {}, {"Fichier " + Utf8ToCp1252(empty) + " introuvable ou endommag\xE9", kNoFile},
                  kNoneLoaded},
             // The store folder compared ignoring case, while the client runs; outside it the same file is read
             // (and refused as no .dbx file by the header check's own box).
             Case{mnuFileDbx_Click, lonely, UpperCase(temp.Path()), {"bash", "MSIMN.EXE"},
                  {closeIt + "Outlook Express doit \xEAtre ferm\xE9."}, kNoneLoaded},
             Case{mnuFileDbx_Click, lonely, "/ailleurs", {"bash", "MSIMN.EXE"}, {}, "Courrier.dbx"},
             Case{mnuFileWM_Click, std::nullopt, "", {}, {kNoFile}, noFolder},
             Case{mnuFileWM_Click, kArchives + "/synth_000003.eml", "", {"WinMail.exe"},
                  {closeIt + "Windows Mail doit \xEAtre ferm\xE9."}, noFolder},
             Case{mnuFileWM_Click, temp.Write("notes.txt", "x"), "", {}, {"Le dossier choisi ne contient pas de message valide"},
                  std::filesystem::path(temp.Path()).filename().string()}}) {
        SCOPED_TRACE(c.file.value_or("cancelled"));
        s.env.StoreRoot = "", processes.names.clear(), Open(mnuFileDbx_Click, kDbxSample);
        ASSERT_EQ(s.list.Count, 57);
        s.env.StoreRoot = c.storeRoot, processes.names = c.running, Open(c.click, c.file);
        EXPECT_EQ(w.boxes.size(), std::max<std::size_t>(c.boxes.size(), 1));
        if (!c.boxes.empty()) { EXPECT_EQ(w.BoxTexts(), c.boxes); }
        const std::string panel1 = c.click == mnuFileDbx_Click ? kDbxPanel : kWmPanel;
        EXPECT_EQ(std::tuple(w.panels[1], w.panels[2], w.texts["lblLvw"]), std::tuple(panel1, c.panel2, "Liste des messages"s));
        EXPECT_TRUE(w.rows.empty() && s.list.Count == 0 && s.selection.RowFlags.size() == 1);
        EXPECT_FALSE(w.IsEnabled("mnuSelectAll") || w.IsEnabled("cmdAllTxt") || w.hourglass || s.EditorUpdate);
    }
}

}  // namespace
