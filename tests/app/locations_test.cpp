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
const std::string kOeKey = "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0";
const std::string kNotFound = "Identit\xE9 introuvable";
const std::string kDamaged = "Le registre est endommag\xE9.\r\rLe programme va \xEAtre interrompu !";

class LocationsTest : public AppTest {
protected:
    void GiveIdentity(const std::string& storeRoot) {
        registry.available = true;
        registry.keys["Identities"]["Last User ID"] = {V::String, std::string("{ID}") + '\0'};
        registry.keys["Identities\\{ID}"] = {};
        registry.keys[kOeKey]["Store Root"] = {V::ExpandString, storeRoot};
    }
};

TEST_F(LocationsTest, StoreRootLosesItsFinalSeparatorAndExpandsOneLeadingVariable) {
    setenv("USERPROFILE", "/home/bob", 1);
    setenv("PELICARD_TEST_Var", "/v", 1);
    struct Case {
        std::string stored, expected;
    };
    const Case cases[] = {
        {"%USERPROFILE%\\AppData\\Local\\Microsoft\\Windows Mail\\",
         "/home/bob\\AppData\\Local\\Microsoft\\Windows Mail"},
        {"D:\\Mail\\Store\\", "D:\\Mail\\Store"},
        {"%pelicard_test_var%\\x%HOME%", "/v\\x%HOME%"},  // names ignore case; one variable only
        {"%NO_SUCH_PELICARD_VAR%\\y", "\\y"},
        {"%SESSION%\\z", "C:\\users\\bob\\z"},  // the Windows session's own variable
    };
    registry.sessionVariables["SESSION"] = "C:\\users\\bob";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        GiveIdentity(c.stored);
        EXPECT_EQ(WMFolder(s), c.expected);
        EXPECT_TRUE(window.boxes.empty());
        EXPECT_EQ(registry.openCount, 0);
    }
    EXPECT_EQ(registry.opened[0], "Identities");
    EXPECT_EQ(registry.opened[1], "Identities\\{ID}");
    EXPECT_EQ(registry.opened[2], kOeKey);
    // Windows Mail keeps its root under its own key, without identities.
    s.env.WindowsMailMode = true;
    registry.keys.erase("Identities");
    registry.keys["Software\\Microsoft\\Windows Mail"]["Store Root"] = {
        V::ExpandString, "%USERPROFILE%\\AppData\\Local\\Microsoft\\Windows Mail\\"};
    EXPECT_EQ(WMFolder(s), "/home/bob\\AppData\\Local\\Microsoft\\Windows Mail");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(LocationsTest, MissingIdentityEndsTheProgramMissingRootGoesOn) {
    GiveIdentity("C:\\x");
    registry.keys[kOeKey].clear();
    EXPECT_EQ(WMFolder(s), "");
    EXPECT_EQ(window.BoxTexts(), std::vector<std::string>{kNotFound});
    EXPECT_FALSE(s.Quitting);

    registry.keys["Identities"].clear();
    window.boxes.clear();
    EXPECT_THROW(WMFolder(s), ProgramEnding);
    ASSERT_EQ(window.boxes.size(), 2u);
    EXPECT_EQ(window.boxes[0].text, kNotFound);
    EXPECT_EQ(window.boxes[1].text, kDamaged);
    EXPECT_EQ(window.boxes[1].title, "WMFolder");
    EXPECT_EQ(window.boxes[1].icon, MsgIcon::Critical);
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(registry.openCount, 0);
}

TEST_F(LocationsTest, BadVariableOrUnknownIdentityKeyEndTheProgram) {
    for (const std::string& root : {std::string("%UNCLOSED\\x"), "%" + std::string(300, 'A') + "%\\x"}) {
        GiveIdentity(root);
        State st;
        FakeWindow w;
        Wire(st, w);
        EXPECT_THROW(WMFolder(st), ProgramEnding);
        ASSERT_EQ(w.boxes.size(), 1u);
        EXPECT_EQ(w.boxes[0].title, "WMFolder");
        EXPECT_EQ(w.boxes[0].text, faults::kBadCall);
        EXPECT_TRUE(st.Quitting);
    }
    GiveIdentity("C:\\x");
    registry.keys.erase("Identities\\{ID}");
    EXPECT_THROW(WMFolder(s), ProgramEnding);
    EXPECT_EQ(window.BoxTexts(), std::vector<std::string>{kDamaged});
}

TEST_F(LocationsTest, RegistryValuesConvertByType) {
    registry.available = true;
    registry.keys["K"] = {{"sz", {V::String, std::string("abc") + '\0'}},
                          {"bin", {V::Binary, std::string("a\0b", 3)}},
                          {"dw", {V::Dword, std::string("\x10\x27\0\0", 4)}},
                          {"multi", {V::Other, "x"}}};
    std::int64_t h = 0;
    ASSERT_EQ(registry.OpenKey("K", h), 0);
    std::string v;
    EXPECT_EQ(QueryRegistryValue(s, h, "sz", v), 0);
    EXPECT_EQ(v, "abc");
    EXPECT_EQ(QueryRegistryValue(s, h, "bin", v), 0);
    EXPECT_EQ(v, std::string("a\0b", 3));
    EXPECT_EQ(QueryRegistryValue(s, h, "dw", v), 0);
    EXPECT_EQ(v, "10000");
    EXPECT_EQ(QueryRegistryValue(s, h, "multi", v), -1);
    EXPECT_EQ(v, "");
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(QueryRegistryValue(s, h, "absent", v), 2);
    EXPECT_EQ(window.BoxTexts(), std::vector<std::string>{kNotFound});
    EXPECT_EQ(QueryRegistryValue(s, 999, "sz", v), 6);  // other failures are told too
    EXPECT_EQ(window.boxes.size(), 2u);
}

// A Wine prefix's user.reg as Wine writes it.
const char* const kUserReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win32\n"
    "\n"
    "[Identities] 1700000000\n"
    "#time=1d9a0b0c0d0e0f0\n"
    "\"Default User ID\"=\"{AB-12}\"\n"
    "\"Last User ID\"=\"{AB-12}\"\n"
    "\"Last Username\"=\"Identit\\xe9 principale\"\n"
    "\n"
    "[Identities\\\\{AB-12}] 1700000000\n"
    "\"Username\"=\"Identit\\xe9 principale\"\n"
    "\n"
    "[Identities\\\\{AB-12}\\\\Software\\\\Microsoft\\\\Outlook Express\\\\5.0] 1700000000\n"
    "\"Store Root\"=str(2):\"C:\\\\users\\\\alice\\\\Local Settings\\\\Outlook Express\\\\\"\n"
    "\"Flags\"=dword:0000012c\n"
    "\"Blob\"=hex:01,02,ff,\\\n"
    "  10\n"
    "\"Wide\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,00,4c,00,\\\n"
    "  45,00,25,00,5c,00,e9,00,00,00\n"
    "\"Quoted\"=\"a \\\"b\\\" \\\\ c\\n\"\n"
    "@=\"default\"\n";

class WinePrefixTest : public AppTest {
protected:
    std::string Prefix(const std::string& userReg) {
        std::string prefix = Mkdir("wine");
        WriteFileText(prefix + "/user.reg", userReg);
        return prefix;
    }
};

TEST_F(WinePrefixTest, UserRegIdentityGivesTheStoreRootInsideThePrefix) {
    const std::string prefix = Prefix(kUserReg);
    WineRegistry reg(prefix);
    s.registry = &reg;
    EXPECT_TRUE(reg.Available());
    EXPECT_EQ(WMFolder(s), prefix + "/drive_c/users/alice/Local Settings/Outlook Express");
    EXPECT_TRUE(window.boxes.empty());

    std::int64_t h = 0;
    ASSERT_EQ(reg.OpenKey("identities\\{ab-12}\\SOFTWARE\\Microsoft\\Outlook Express\\5.0\\", h), 0);
    RegistryPort::ValueType t{};
    std::string d;
    struct Case {
        std::string name;
        RegistryPort::ValueType type;
        std::string data;
    };
    const Case cases[] = {
        {"flags", V::Dword, std::string("\x2c\x01\0\0", 4)},
        {"Blob", V::Binary, "\x01\x02\xff\x10"},
        {"Wide", V::ExpandString, std::string("%USERPROFILE%\\\xC3\xA9") + '\0'},
        {"Quoted", V::String, "a \"b\" \\ c\n"},
        {"", V::String, "default"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(reg.QueryValue(h, c.name, t, d), 0);
        EXPECT_EQ(t, c.type);
        EXPECT_EQ(d, c.data);
    }
    EXPECT_EQ(reg.QueryValue(h, "absent", t, d), 2);
    reg.CloseKey(h);
    EXPECT_EQ(reg.QueryValue(h, "Flags", t, d), 6);
    ASSERT_EQ(reg.OpenKey("Identities", h), 0);
    ASSERT_EQ(reg.QueryValue(h, "Last Username", t, d), 0);
    EXPECT_EQ(d, "Identit\xC3\xA9 principale");
    // Keys that exist only as ancestors open too; others do not.
    EXPECT_EQ(reg.OpenKey("Identities\\{AB-12}\\Software\\Microsoft", h), 0);
    EXPECT_EQ(reg.OpenKey("Identities\\{AB-13}", h), 2);
}

TEST_F(WinePrefixTest, VariableRootIsExpandedThenMappedIntoThePrefix) {
    std::string text = kUserReg;
    std::size_t at = text.find("C:\\\\users\\\\alice");
    text.replace(at, std::string("C:\\\\users\\\\alice").size(), "%UserProfile%");
    text += "\n[Volatile Environment] 1700000000\n\"USERPROFILE\"=\"C:\\\\users\\\\carol\"\n";
    const std::string prefix = Prefix(text);
    WineRegistry reg(prefix);
    s.registry = &reg;
    setenv("USERPROFILE", "C:\\users\\bob", 1);
    EXPECT_EQ(WMFolder(s), prefix + "/drive_c/users/bob/Local Settings/Outlook Express");
    // Without it in the process environment, the Wine session's value.
    unsetenv("USERPROFILE");
    EXPECT_EQ(WMFolder(s), prefix + "/drive_c/users/carol/Local Settings/Outlook Express");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(WinePrefixTest, NoPrefixOrNoIdentitiesMeansNoRegistryAndNoMessage) {
    WineRegistry none(root + "/no-such-prefix");
    std::string text = kUserReg;
    for (std::size_t p; (p = text.find("Identities")) != std::string::npos;) text.replace(p, 10, "Identitxes");
    WineRegistry other(Prefix(text));
    for (WineRegistry* reg : {&none, &other}) {
        s.registry = reg;
        EXPECT_FALSE(reg->Available());
        EXPECT_EQ(WMFolder(s), "");
    }
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(none.NativePath("E:\\Mail"), root + "/no-such-prefix/dosdevices/e:/Mail");
}

TEST(UserDirs, DocumentsFolderFromTheXdgFile) {
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", "/h/Documents"},
        {"XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n", "/srv/docs"},
        {"XDG_DOCUMENTS_DIR=\"relative\"\n", ""},
        {"XDG_DOCUMENTS_DIR=\"$HOMEX/d\"\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseUserDirsDocuments(c.text, "/h/"), c.expected) << c.text;
}

TEST_F(LocationsTest, DocumentsFolderEndsWithASeparator) {
    EXPECT_EQ(MyDocumentsPath(), docs + "/");
    EXPECT_EQ(SpecialFolderPath(6), "");
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("HOME", (root + "/home").c_str(), 1);
    EXPECT_EQ(MyDocumentsPath(), root + "/home/Documents/");
    EXPECT_EQ(AppFolderPath(), appFolder);
}

TEST_F(LocationsTest, MessageFileDialogStartsWhereTheLastChoiceWas) {
    const std::string folder = Mkdir("oe");
    WriteFileText(folder + "/Inbox.dbx", "x");
    WriteFileText(folder + "/empty.dbx", "");
    s.settings.LastFolder = "/last";
    struct Case {
        std::string path;
        bool dbx;
        std::optional<std::string> answer;
        std::string start;
        bool result;
        std::string pathAfter, lastAfter;
    };
    const Case cases[] = {
        {"", true, std::nullopt, "/last/*.dbx", false, "", "/last"},
        {"/old/Box.dbx", true, folder + "/Inbox.dbx", "/old/Box.dbx", true, folder + "/Inbox.dbx", folder},
        {"", true, folder + "/empty.dbx", folder + "/*.dbx", false, folder + "/empty.dbx", folder},
        {"/wm/a.eml", false, folder + "/Inbox.dbx", "/wm", true, folder + "/Inbox.dbx", folder},
        {"", false, std::nullopt, folder, false, "", folder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + (c.dbx ? " dbx" : " wm"));
        dialogs.files = {c.answer};
        dialogs.openCalls.clear();
        window.boxes.clear();
        std::string path = c.path;
        EXPECT_EQ(ChooseMessageFile(s, path, c.dbx), c.result);
        ASSERT_EQ(dialogs.openCalls.size(), 1u);
        EXPECT_EQ(dialogs.openCalls[0].start, c.start);
        EXPECT_EQ(dialogs.openCalls[0].filter, c.dbx ? "Outlook Express (*.dbx)|*.dbx"
                                                     : "Courrier et News (*.eml;*.nws)|*.eml;*.nws");
        EXPECT_EQ(dialogs.openCalls[0].title, c.dbx ? "Choisir le fichier dbx \xE0 lire"
                                                    : "Choisir un fichier eml ou nws quelconque");
        EXPECT_EQ(path, c.pathAfter);
        EXPECT_EQ(s.settings.LastFolder, c.lastAfter);
        if (c.answer && !c.result) {
            EXPECT_EQ(window.BoxTexts(),
                      std::vector<std::string>{"Fichier " + *c.answer + " introuvable ou endommag\xE9"});
        } else {
            EXPECT_TRUE(window.boxes.empty());
        }
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
    EXPECT_EQ(dialogs.pickCalls[1].defaultFolder, "/home/R\xC3\xA9my");

    EXPECT_EQ(BrowseStatusText("/Data/Mail"), "../Data/Mail");
    const std::string deep = "/" + std::string(40, 'a') + "/" + std::string(20, 'b') + "/cc";
    EXPECT_EQ(BrowseStatusText(deep), "../" + std::string(20, 'b') + "/cc");
    EXPECT_EQ(BrowseStatusText("/" + std::string(60, 'z')), ".." + std::string(55, 'z'));
}

}  // namespace
}  // namespace pelicard::testing
