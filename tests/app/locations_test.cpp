// Store locations and pickers: WMFolder over the registry (fake, then a
// real user.reg in a temporary Wine prefix), the open-file dialog and the
// folder picker.
#include "app/linux_folders.hpp"
#include "app/locations.hpp"
#include "app/wine_registry.hpp"
#include "app_fixture.hpp"
#include "common/report.hpp"

namespace pelicard::testing {
namespace {

using V = RegistryPort::ValueType;
using LocationsTest = AppTest;
const std::string kOeKey = "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0";
const std::string kNotFound = "Identit\xE9 introuvable";
const std::string kDamaged = "Le registre est endommag\xE9.\r\rLe programme va \xEAtre interrompu !";

TEST_F(LocationsTest, StoreRootLosesItsFinalSeparatorAndExpandsOneLeadingVariable) {
    setenv("USERPROFILE", "/home/bob", 1);
    setenv("PELICARD_TEST_Var", "/v", 1);
    registry.sessionVariables["SESSION"] = "C:\\users\\bob";
    const std::pair<std::string, std::string> cases[] = {
        {"%USERPROFILE%\\Windows Mail\\", "/home/bob\\Windows Mail"},
        {"%pelicard_test_var%\\x%HOME%", "/v\\x%HOME%"},  // names ignore case; one variable only
        {"%NO_SUCH_PELICARD_VAR%\\y", "\\y"},
        {"%SESSION%\\z", "C:\\users\\bob\\z"},  // the Windows session's own variable
    };
    for (const auto& [stored, expected] : cases) {
        GiveIdentity(stored);
        EXPECT_EQ(WMFolder(s), expected) << stored;
        EXPECT_EQ(registry.openCount, 0);  // every key is closed again
    }
    // Windows Mail keeps its root under its own key, without identities.
    s.env.WindowsMailMode = true;
    registry.keys.erase("Identities");
    registry.keys["Software\\Microsoft\\Windows Mail"]["Store Root"] = {V::ExpandString, "D:\\Mail\\"};
    EXPECT_EQ(WMFolder(s), "D:\\Mail");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(LocationsTest, MissingIdentityBadVariableOrUnknownKeyEndTheProgramMissingRootGoesOn) {
    GiveIdentity("C:\\x");
    registry.keys[kOeKey].clear();
    EXPECT_EQ(WMFolder(s), "");
    EXPECT_FALSE(s.Quitting);
    registry.keys["Identities"].clear();
    EXPECT_THROW(WMFolder(s), ProgramEnding);
    EXPECT_EQ(window.BoxTexts(), (std::vector<std::string>{kNotFound, kNotFound, kDamaged}));
    EXPECT_EQ(window.boxes[2].title, "WMFolder");
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(registry.openCount, 0);

    const std::string unclosed = "%UNCLOSED\\x", huge = "%" + std::string(300, 'A') + "%\\x";
    for (const std::string& root : {unclosed, huge, std::string("C:\\x")}) {
        GiveIdentity(root);
        if (root == "C:\\x") registry.keys.erase("Identities\\{ID}");
        State st;
        FakeWindow w;
        Wire(st, w);
        EXPECT_THROW(WMFolder(st), ProgramEnding);
        EXPECT_EQ(w.BoxTexts(), std::vector<std::string>{root == "C:\\x" ? kDamaged : faults::kBadCall});
    }
}

TEST_F(LocationsTest, RegistryValuesConvertByType) {
    registry.available = true;
    registry.keys["K"] = {{"dw", {V::Dword, std::string("\x10\x27\0\0", 4)}}, {"multi", {V::Other, "x"}}};
    std::int64_t h = 0;
    ASSERT_EQ(registry.OpenKey("K", h), 0);
    std::string v;
    EXPECT_EQ(QueryRegistryValue(s, h, "dw", v), 0);
    EXPECT_EQ(v, "10000");
    EXPECT_EQ(QueryRegistryValue(s, h, "multi", v), -1);
    EXPECT_EQ(QueryRegistryValue(s, h, "absent", v), 2);
    EXPECT_EQ(window.BoxTexts(), std::vector<std::string>{kNotFound});
}

// A Wine prefix's user.reg as Wine writes it.
const char* const kUserReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n#arch=win32\n\n"
    "[Identities] 1700000000\n"
    "#time=1d9a0b0c0d0e0f0\n"
    "\"Last User ID\"=\"{AB-12}\"\n"
    "\n[Identities\\\\{AB-12}] 1700000000\n"
    "\n[Identities\\\\{AB-12}\\\\Software\\\\Microsoft\\\\Outlook Express\\\\5.0] 1700000000\n"
    "\"Store Root\"=str(2):\"%UserProfile%\\\\Outlook Express\\\\\"\n"
    "\"Flags\"=dword:0000012c\n"
    "\"Blob\"=hex:01,02,ff,\\\n  10\n"
    "\"Wide\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,00,4c,00,\\\n"
    "  45,00,25,00,5c,00,e9,00,00,00\n"
    "\"Quoted\"=\"a \\\"b\\\" \\\\ c\\n\"\n"
    "@=\"default\"\n"
    "\n[Volatile Environment] 1700000000\n\"USERPROFILE\"=\"C:\\\\users\\\\carol\"\n";

TEST_F(LocationsTest, WinePrefixUserRegGivesTheStoreRootInsideThePrefix) {
    const std::string prefix = Mkdir("wine");
    WriteFileText(prefix + "/user.reg", kUserReg);
    WineRegistry reg(prefix);
    s.registry = &reg;
    // The variable comes from the process, else from the Wine session.
    setenv("USERPROFILE", "C:\\users\\bob", 1);
    EXPECT_EQ(WMFolder(s), prefix + "/drive_c/users/bob/Outlook Express");
    unsetenv("USERPROFILE");
    EXPECT_EQ(WMFolder(s), prefix + "/drive_c/users/carol/Outlook Express");
    EXPECT_TRUE(window.boxes.empty());

    std::int64_t h = 0;
    ASSERT_EQ(reg.OpenKey("identities\\{ab-12}\\SOFTWARE\\Microsoft\\Outlook Express\\5.0\\", h), 0);
    V t{};
    std::string d;
    const std::tuple<std::string, V, std::string> cases[] = {
        {"flags", V::Dword, std::string("\x2c\x01\0\0", 4)},
        {"Blob", V::Binary, "\x01\x02\xff\x10"},
        {"Wide", V::ExpandString, std::string("%USERPROFILE%\\\xC3\xA9") + '\0'},
        {"Quoted", V::String, "a \"b\" \\ c\n"},
        {"", V::String, "default"},
    };
    for (const auto& [name, type, data] : cases) {
        ASSERT_EQ(reg.QueryValue(h, name, t, d), 0) << name;
        EXPECT_EQ(std::make_pair(t, d), std::make_pair(type, data)) << name;
    }
    EXPECT_EQ(reg.QueryValue(h, "absent", t, d), 2);
    reg.CloseKey(h);
    EXPECT_EQ(reg.QueryValue(h, "Flags", t, d), 6);
    // Keys that exist only as ancestors open too; others do not.
    EXPECT_EQ(reg.OpenKey("Identities\\{AB-12}\\Software\\Microsoft", h), 0);
    EXPECT_EQ(reg.OpenKey("Identities\\{AB-13}", h), 2);

    WineRegistry none(root + "/no-such-prefix");
    s.registry = &none;
    EXPECT_FALSE(none.Available());
    EXPECT_EQ(WMFolder(s), "");
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(none.NativePath("E:\\Mail"), root + "/no-such-prefix/dosdevices/e:/Mail");
}

TEST_F(LocationsTest, DocumentsFolderFromTheXdgFileOrHome) {
    const std::pair<std::string, std::string> cases[] = {
        {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", "/h/Documents"},
        {"XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n", "/srv/docs"},
        {"XDG_DOCUMENTS_DIR=\"relative\"\n", ""},
        {"XDG_DOCUMENTS_DIR=\"$HOMEX/d\"\n", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ParseUserDirsDocuments(text, "/h/"), expected) << text;
    EXPECT_EQ(MyDocumentsPath(), docs + "/");
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("HOME", (root + "/home").c_str(), 1);
    EXPECT_EQ(MyDocumentsPath(), root + "/home/Documents/");
}

TEST_F(LocationsTest, MessageFileDialogStartsWhereTheLastChoiceWas) {
    const std::string folder = Mkdir("oe");
    WriteFileText(folder + "/Inbox.dbx", "x");
    WriteFileText(folder + "/empty.dbx", "");
    s.settings.LastFolder = "/last";
    // path before, dbx mode, the file chosen, where the dialog starts, result
    const std::tuple<std::string, bool, std::optional<std::string>, std::string, bool> cases[] = {
        {"", true, std::nullopt, "/last/*.dbx", false},
        {"/old/Box.dbx", true, folder + "/Inbox.dbx", "/old/Box.dbx", true},
        {"", true, folder + "/empty.dbx", folder + "/*.dbx", false},
        {"/wm/a.eml", false, folder + "/Inbox.dbx", "/wm", true},
    };
    for (const auto& [before, dbx, answer, start, result] : cases) {
        SCOPED_TRACE(start);
        dialogs.files = {answer};
        window.boxes.clear();
        std::string path = before;
        EXPECT_EQ(ChooseMessageFile(s, path, dbx), result);
        const auto& call = dialogs.openCalls.back();
        EXPECT_EQ(call.start, start);
        EXPECT_EQ(call.filter, dbx ? "Outlook Express (*.dbx)|*.dbx" : "Courrier et News (*.eml;*.nws)|*.eml;*.nws");
        EXPECT_EQ(call.title, dbx ? "Choisir le fichier dbx \xE0 lire" : "Choisir un fichier eml ou nws quelconque");
        EXPECT_EQ(path, answer.value_or(""));
        EXPECT_EQ(s.settings.LastFolder, answer ? folder : "/last");
        EXPECT_EQ(window.boxes.size(), answer && !result ? 1u : 0u);
    }
}

TEST_F(LocationsTest, FolderPickerTitleAndStatusLine) {
    dialogs.folders.push_back(std::string("/chosen\0junk", 12));
    EXPECT_EQ(ChooseStorageParent(s, ""), "/chosen");
    EXPECT_EQ(dialogs.pickCalls[0].title, "Choisir le dossier dans lequel sera cr\xE9\xE9 le dossier de stockage");
    EXPECT_EQ(ChooseStorageParent(s, "/home/R\xC3\xA9my"), "");
    EXPECT_EQ(dialogs.pickCalls[1].title,
              "Choisir le dossier dans lequel sera cr\xE9\xE9 le dossier de stockage\r'/home/R\xE9my' par d\xE9"
              "faut");

    EXPECT_EQ(BrowseStatusText("/Data/Mail"), "../Data/Mail");
    const std::string deep = "/" + std::string(40, 'a') + "/" + std::string(20, 'b') + "/cc";
    EXPECT_EQ(BrowseStatusText(deep), "../" + std::string(20, 'b') + "/cc");
    EXPECT_EQ(BrowseStatusText("/" + std::string(60, 'z')), ".." + std::string(55, 'z'));
}

}  // namespace
}  // namespace pelicard::testing
