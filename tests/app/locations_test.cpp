// WMFolder over the registry (fake, then a real user.reg in a Wine prefix), the file dialog and folder picker.
#include "app/linux_folders.hpp"
#include "app/locations.hpp"
#include "app/wine_registry.hpp"
#include "app_fixture.hpp"
#include "common/report.hpp"

namespace pelicard::testing {
namespace {

using V = RegistryPort::ValueType;
using LocationsTest = AppTest;
const std::string kNotFound = "Identit\xE9 introuvable";
const std::string kDamaged = "Le registre est endommag\xE9.\r\rLe programme va \xEAtre interrompu !";

TEST_F(LocationsTest, StoreRootExpandsOneLeadingVariableBadRootsOrKeysEndTheProgram) {
    setenv("PELICARD_TEST_Var", "/v", 1);
    // the stored root, the folder given, the box that ends the program
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"%pelicard_test_var%\\x%HOME%\\", "/v\\x%HOME%", ""},  // names ignore case; one variable only
        {"%NO_SUCH_PELICARD_VAR%\\y", "\\y", ""},
        {"%UNCLOSED\\x", "", faults::kBadCall}, {"%" + std::string(300, 'A') + "%\\x", "", faults::kBadCall}};
    for (const auto& [stored, expected, box] : cases) {
        GiveIdentity(stored);
        auto& [st, w] = Fresh();
        if (box.empty()) EXPECT_EQ(WMFolder(st), expected) << stored;
        else EXPECT_THROW(WMFolder(st), ProgramEnding);
        EXPECT_EQ(w.BoxTexts(), box.empty() ? std::vector<std::string>{} : std::vector<std::string>{box});
        EXPECT_EQ(registry.openCount, 0);  // every key is closed again
    }
    // A missing root goes on; a missing identity or identity key ends the program.
    registry.keys["Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0"].clear();
    EXPECT_TRUE(WMFolder(s).empty() && !s.Quitting);
    registry.keys["Identities"].clear();
    EXPECT_THROW(WMFolder(s), ProgramEnding);
    EXPECT_EQ(window.BoxTexts(), (std::vector<std::string>{kNotFound, kNotFound, kDamaged}));
    EXPECT_EQ(window.boxes[2].title, "WMFolder");
    EXPECT_TRUE(window.closed);
    GiveIdentity("C:\\x");
    registry.keys.erase("Identities\\{ID}");
    auto& [st, w] = Fresh();
    EXPECT_THROW(WMFolder(st), ProgramEnding);
    EXPECT_EQ(w.BoxTexts(), std::vector<std::string>{kDamaged});
    // Windows Mail keeps its root under its own key, without identities.
    st.env.WindowsMailMode = true;
    registry.keys.erase("Identities");
    registry.keys["Software\\Microsoft\\Windows Mail"]["Store Root"] = {V::ExpandString, "D:\\Mail\\"};
    EXPECT_EQ(WMFolder(st), "D:\\Mail");
}

// A Wine prefix's user.reg as Wine writes it; the identity key exists only as an ancestor.
const char* const kUserReg =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n\n"
    "[Identities] 1700000000\n#time=1d9a0b0c0d0e0f0\n\"Last User ID\"=\"{AB-12}\"\n"
    "\n[Identities\\\\{AB-12}\\\\Software\\\\Microsoft\\\\Outlook Express\\\\5.0] 1700000000\n"
    "\"Store Root\"=hex(2):25,00,55,00,73,00,65,00,72,00,50,00,72,00,6f,00,66,00,69,00,6c,00,\\\n"
    "  65,00,25,00,5c,00,4f,00,45,00,e9,00,5c,00,00,00\n"  // "%UserProfile%\OE" e-acute "\" in UTF-16
    "\"Flags\"=dword:0000012c\n"
    "\"Quoted\"=\"a \\\"b\\\" \\\\ c\\n\"\n"
    "\n[Volatile Environment] 1700000000\n\"USERPROFILE\"=\"C:\\\\users\\\\carol\"\n";

TEST_F(LocationsTest, WinePrefixUserRegGivesTheStoreRootInsideThePrefix) {
    const std::string prefix = Mkdir("wine");
    WriteFileText(prefix + "/user.reg", kUserReg);
    WineRegistry reg(prefix);
    s.registry = &reg;
    // The variable comes from the process, else from the Wine session.
    setenv("USERPROFILE", "C:\\users\\bob", 1);
    EXPECT_EQ(WMFolder(s), prefix + "/drive_c/users/bob/OE\xC3\xA9");
    unsetenv("USERPROFILE");
    EXPECT_EQ(WMFolder(s), prefix + "/drive_c/users/carol/OE\xC3\xA9");

    std::int64_t h = 0;
    ASSERT_EQ(reg.OpenKey("identities\\{ab-12}\\SOFTWARE\\Microsoft\\Outlook Express\\5.0\\", h), 0);
    V t{};
    std::string d;
    EXPECT_TRUE(reg.QueryValue(h, "Quoted", t, d) == 0 && t == V::String && d == "a \"b\" \\ c\n") << d;
    EXPECT_TRUE(reg.QueryValue(h, "flags", t, d) == 0 && t == V::Dword && d == std::string("\x2c\x01\0\0", 4));
    reg.CloseKey(h);

    WineRegistry none(root + "/no-such-prefix");
    s.registry = &none;
    EXPECT_EQ(WMFolder(s), "");
    EXPECT_EQ(none.NativePath("E:\\Mail"), root + "/no-such-prefix/dosdevices/e:/Mail");
}

TEST_F(LocationsTest, DocumentsFolderFromTheXdgFileOrHome) {
    EXPECT_EQ(ParseUserDirsDocuments("# c\nXDG_DESKTOP_DIR=\"$HOME/B\"\nXDG_DOCUMENTS_DIR=\"$HOME/Doc/\"\n", "/h/"),
              "/h/Doc");
    for (const char* bad : {"XDG_DOCUMENTS_DIR=\"relative\"\n", "XDG_DOCUMENTS_DIR=\"$HOMEX/d\"\n"})
        EXPECT_EQ(ParseUserDirsDocuments(bad, "/h/"), "") << bad;
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

    const std::string deep = "/" + std::string(40, 'a') + "/" + std::string(20, 'b') + "/cc";
    EXPECT_EQ(BrowseStatusText(deep), "../" + std::string(20, 'b') + "/cc");
    EXPECT_EQ(BrowseStatusText("/" + std::string(60, 'z')), ".." + std::string(55, 'z'));
}

}  // namespace
}  // namespace pelicard::testing
