// The text options of the "Options" menu: their marks, their line in the
// second settings file (Pelicard.ini untouched, other lines kept), the line
// above the list, and a text file written in UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/extra_settings.hpp"
#include "app/text_options.hpp"
#include "common/text.hpp"
#include "content/full_decode.hpp"
#include "export/utf8_files.hpp"
#include "support/fake_window.hpp"
#include "ui/decoding_options.hpp"

using namespace pelicard;

namespace {

std::string Slurp(const std::filesystem::path& p) {
    return (std::ostringstream() << std::ifstream(p, std::ios::binary).rdbuf()).str();
}

class TextOptions : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("pelicard-text-options-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        s.window = &window;
        s.env.AppFolder = dir.string() + "/";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
    pelicard::testing::FakeWindow window;
    State s;
};

TEST_F(TextOptions, MenuMarksAndSecondSettingsFile) {
    std::ofstream(dir / "Pelicard.ini") << "x\r\n";
    std::ofstream(dir / kExtraSettingsName) << "autre=1\ndecodage_complet=0\n";
    ReadExtraSettings(s);
    ReadTextOptions(s);
    EXPECT_FALSE(s.content.FullDecoding);
    mnuFullDecoding_Click(s);
    mnuUtf8Files_Click(s);
    EXPECT_TRUE(window.checked["mnuFullDecoding"] && window.checked["mnuUtf8Files"]);
    EXPECT_EQ(Slurp(dir / kExtraSettingsName), "autre=1\ndecodage_complet=1\nfichiers_texte_utf8=1\n");
    EXPECT_EQ(Slurp(dir / "Pelicard.ini"), "x\r\n");
    State again;
    again.env.AppFolder = s.env.AppFolder;
    ReadExtraSettings(again);
    ReadTextOptions(again);
    EXPECT_TRUE(again.content.FullDecoding && again.content.Utf8Files);
    mnuFullDecoding_Click(s);
    EXPECT_EQ(Slurp(dir / kExtraSettingsName), "autre=1\ndecodage_complet=0\nfichiers_texte_utf8=1\n");
}

TEST_F(TextOptions, LineAboveTheListOnlyWhenWordsStayEncoded) {
    s.list.Mode = StoreMode::WindowsMail;
    s.list.Wm.assign(3, WmMessageEntry{});
    s.list.Count = 2;
    s.list.Wm[2].Sender = "=?utf-8?B?QWduw6hz?= <a@b>";
    ShowDecodingHint(s);
    EXPECT_TRUE(window.visible["lblDecoding"]);
    EXPECT_NE(window.texts["lblDecoding"].find("Options"), std::string::npos);
    s.content.FullDecoding = true;
    ShowDecodingHint(s);
    EXPECT_FALSE(window.visible["lblDecoding"]);
    s.content.FullDecoding = false;
    s.list.Wm[2].Sender = "Agn\xE8s = ? <a@b>";
    ShowDecodingHint(s);
    EXPECT_FALSE(window.visible["lblDecoding"]);
}

TEST_F(TextOptions, TextFileBytesFollowTheUtf8Option) {
    std::string companion;
    const std::string core = FromUtf8("Привет €", companion);
    EXPECT_EQ(core, "?????? \x80");
    EXPECT_EQ(FileText(s, core, companion), core);
    s.content.Utf8Files = true;
    EXPECT_EQ(FileText(s, core, companion), "Привет €");
    // A companion that no longer matches the text (an edit) is not used.
    EXPECT_EQ(FileText(s, "Bonjour \x80", companion), "Bonjour €");
}

}  // namespace
