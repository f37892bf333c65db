// The small services: process check, file tests, About, sound and manual.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "app/done_sound.hpp"
#include "app/help_text.hpp"
#include "app/proc_processes.hpp"
#include "app/services.hpp"
#include "app_fixture.hpp"
#include "common/fault.hpp"

namespace pelicard::testing {
namespace {

using ServicesTest = AppTest;

TEST_F(ServicesTest, ProcessesMatchByLowerCaseContainmentOfCommOrFirstArgument) {
    static const char kWine[] = "C:\\Program Files\\Outlook Express\\MSIMN.EXE\0/x\0";
    for (const auto& [pid, comm, cmdline] : {std::tuple<std::string, std::string, std::string>{
                                                 "12", "wine-preloader\n", std::string(kWine, sizeof kWine - 1)},
                                             {"14", "x-winmail.exe.so\n", ""},  // no arguments, as kernel threads
                                             {"self", "ignored\n", ""}}) {
        WriteFileText(Mkdir("proc/" + pid) + "/comm", comm);
        WriteFileText(root + "/proc/" + pid + "/cmdline", cmdline);
    }
    ProcProcesses proc(root + "/proc");
    std::vector<std::string> names = proc.RunningExecutables();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"MSIMN.EXE", "wine-preloader", "x-winmail.exe.so"}));
    s.processes = &proc;
    EXPECT_TRUE(IsProcessRunning(s, "msimn.exe") && IsProcessRunning(s, "WinMail.exe"));
    EXPECT_FALSE(IsProcessRunning(s, "outlook.exe"));
    EXPECT_TRUE(ProcProcesses(root + "/none").RunningExecutables().empty());
}

TEST_F(ServicesTest, FileFolderAndQuestionBoxes) {
    const std::string hidden = Mkdir(".cach\xC3\xA9");
    WriteFileText(root + "/empty.txt", "");
    EXPECT_TRUE(FolderExists(hidden + "/"));
    EXPECT_FALSE(FolderExists(root + "/empty.txt") || FolderExists("") || FileExists(s, hidden, false));
    EXPECT_FALSE(FileExists(s, root + "/empty.txt", true));
    FileExists(s, hidden, true);  // the path is told in the window's code page
    EXPECT_EQ(window.BoxTexts(), (std::vector<std::string>{
                                     "Fichier " + root + "/empty.txt introuvable ou endommag\xE9",
                                     "Fichier " + root + "/.cach\xE9 introuvable ou endommag\xE9"}));
    window.answers = {MsgResult::Yes};
    EXPECT_TRUE(AskYesNo(s, "Q ?"));
    EXPECT_FALSE(AskYesNo(s, "Q ?"));  // closing the box is no Yes
    SignalDone(s);
    EXPECT_EQ(sound.played, 1);
    EXPECT_EQ(window.texts["txtEnd"], "Op\xE9ration termin\xE9" "e");
}

TEST_F(ServicesTest, AboutNamesTheProgramItsDateAndVersion) {
    const std::string exe = root + "/pelicard.bin";
    WriteFileText(exe, "x");
    timespec times[2] = {{1796558400, 0}, {1796558400, 0}};  // 2026-12-06 12:00 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, exe.c_str(), times, 0), 0);
    s.app.ExecutablePath = exe;
    const std::string t = AboutText(s);
    EXPECT_EQ(t.substr(0, t.find("\rAuteur : ")),
              "Programme pelicard du dimanche 6 d\xE9" "cembre 2026\rVersion " PELICARD_VERSION);
    EXPECT_NE(t.find("\r\rProgramme destin\xE9 \xE0 extraire les messages des fichiers Outlook Express (dbx) et "
                     "\xE0 \xE9" "diter les messages de Windows Mail et Outlook Express"),
              std::string::npos);
    s.app.ExecutablePath = root + "/absent";
    EXPECT_THROW(AboutText(s), Fault);
}

TEST(BuiltIn, CompletionSoundIsAShortUnclippedWaveAndTheManualIsAscii) {
    const std::string& w = DoneSoundWav();
    auto le = [&](std::size_t at, int n, std::uint32_t v = 0) {  // a little-endian number
        while (n--) v = v << 8 | static_cast<unsigned char>(w[at + n]);
        return v;
    };
    ASSERT_GT(w.size(), 44u);
    EXPECT_EQ(w.substr(0, 4) + w.substr(8, 8) + w.substr(36, 4), "RIFFWAVEfmt data");
    EXPECT_EQ(le(4, 4) + 8, w.size());
    EXPECT_EQ(le(40, 4) + 44, w.size());
    const double seconds = (w.size() - 44) / 2.0 / le(24, 4);
    int peak = 0;
    for (std::size_t i = 44; i + 1 < w.size(); i += 2)
        peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(le(i, 2)))));
    EXPECT_TRUE(seconds > 0.1 && seconds < 1.0 && peak > 5000 && peak < 32767) << seconds << " s, " << peak;

    const std::string& h = HelpHtml();  // the manual
    EXPECT_TRUE(std::all_of(h.begin(), h.end(), [](unsigned char c) { return c < 0x80; }));
    for (const char* part : {"</html>", "Fichier dbx", "Dossier WM", "Nws et Eml", "Documents Pelicard"})
        EXPECT_NE(h.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace pelicard::testing
