// The second settings file beside Pelicard.ini: lines it does not know are
// kept, values are set in place, and no fault of this file stops the program.
#include "app/extra_settings.hpp"
#include "app/startup.hpp"
#include "app_fixture.hpp"

namespace pelicard::testing {
namespace {

TEST(ExtraSettingsText, SettingAValueKeepsEveryOtherLineAsItWas) {
    struct Case { std::string file; std::string before, after; };
    for (const Case& c : {Case{"", "", "a=9\n"},
                          Case{"\xEF\xBB\xBF# note\r\n  a = 1 \r\nb=x=y\r\n", "1", "# note\na=9\nb=x=y\n"},
                          Case{"#a=5\n;a=6\nab=1\n\nA=2\na=3\na=4", "3", "#a=5\n;a=6\nab=1\n\nA=2\na=9\na=4\n"}}) {
        SCOPED_TRACE(c.file);
        ExtraSettings x = ParseExtraSettings(c.file);
        EXPECT_EQ(ExtraValue(x, "a").value_or(""), c.before);
        SetExtraValue(x, "a", "9");
        EXPECT_EQ(FormatExtraSettings(x), c.after);
        EXPECT_TRUE(x.changed);
    }
    ExtraSettings x = ParseExtraSettings("n=12\nbad=12x\nbig=99999\n");
    SetExtraValue(x, "n", "12");
    EXPECT_FALSE(x.changed);  // the same value changes nothing
    SetExtraValue(x, "text", "deux\r\nlignes");
    EXPECT_EQ(ExtraValue(x, "text"), "deux  lignes");
    EXPECT_EQ(std::tuple(ExtraNumber(x, "n", 0, 0, 50), ExtraNumber(x, "bad", 7, 0, 50), ExtraNumber(x, "big", 7, 0, 50),
                         ExtraNumber(x, "none", 7, 0, 50)),
              std::tuple(12, 7, 7, 7));
}

using ExtraSettingsFile = AppTest;

TEST_F(ExtraSettingsFile, ReadAtStartWrittenAtExitOnlyWhenChangedBesideAnUntouchedIni) {
    const std::string storage = Mkdir("store"), extra = appFolder + kExtraSettingsName;
    const std::string ini = storage + "\r\n\r\n0\r\n0\r\n1\r\n";
    WriteIni(ini);
    {
        auto& [st, w] = Fresh();
        ASSERT_TRUE(StartUp(st));
        Shutdown(st);
        EXPECT_FALSE(std::filesystem::exists(extra));  // nothing set, nothing written
    }
    WriteFileText(extra, "futur=oui\r\nlargeur=10\r\n");
    auto& [st, w] = Fresh();
    ASSERT_TRUE(StartUp(st));
    EXPECT_EQ(ExtraNumber(st.app.extra, "largeur", 0, 0, 100), 10);
    SetExtraValue(st.app.extra, "largeur", "20");
    Shutdown(st);
    EXPECT_EQ(ReadFileText(extra), "futur=oui\nlargeur=20\n");
    EXPECT_EQ(ReadFileText(IniPath()), ini);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(appFolder), {}), 2);  // no temporary left
    EXPECT_TRUE(w.boxes.empty());
}

TEST_F(ExtraSettingsFile, AFileThatCannotBeReadIsToldAndNeverReplaced) {
    const std::string storage = Mkdir("store"), extra = appFolder + kExtraSettingsName;
    WriteIni(storage + "\r\n\r\n0\r\n0\r\n1\r\n");
    struct Case { bool folder; const char* reason; };
    for (const Case& c : {Case{true, "Erreur d'acc\xE8s au chemin/fichier"}, Case{false, "trop grand"}}) {
        std::filesystem::remove_all(extra);
        if (c.folder) std::filesystem::create_directory(extra);
        else WriteFileText(extra, std::string(kIniReadLimit + 1, 'x'));
        auto& [st, w] = Fresh();
        ASSERT_TRUE(StartUp(st));
        ASSERT_EQ(w.boxes.size(), 1u);
        EXPECT_NE(w.boxes[0].text.find(c.reason), std::string::npos) << w.boxes[0].text;
        SetExtraValue(st.app.extra, "largeur", "20");
        Shutdown(st);
        EXPECT_EQ(std::filesystem::is_directory(extra), c.folder);
        if (!c.folder) { EXPECT_EQ(std::filesystem::file_size(extra), kIniReadLimit + 1); }
        EXPECT_FALSE(w.closed);
    }
}

}  // namespace
}  // namespace pelicard::testing
