// The small services: process check (fake list, a fake /proc, the real
// /proc), file and folder tests, the completion signal, About, the built-in
// sound and manual.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/done_sound.hpp"
#include "app/help_text.hpp"
#include "app/proc_processes.hpp"
#include "app/services.hpp"
#include "app_fixture.hpp"
#include "common/fault.hpp"

extern char** environ;

namespace pelicard::testing {
namespace {

using ServicesTest = AppTest;

TEST_F(ServicesTest, ProcessNamesMatchByLowerCaseContainment) {
    processes.names = {"bash", "MSIMN.EXE", "x-winmail.exe.so"};
    EXPECT_TRUE(IsProcessRunning(s, "msimn.exe"));
    EXPECT_TRUE(IsProcessRunning(s, "WinMail.exe"));
    EXPECT_FALSE(IsProcessRunning(s, "outlook.exe"));
    processes.names.clear();
    EXPECT_FALSE(IsProcessRunning(s, "msimn.exe"));
}

TEST_F(ServicesTest, ProcListerReadsCommAndTheFirstArgumentsLastComponent) {
    const std::string proc = Mkdir("proc");
    auto pid = [&](const std::string& n, const std::string& comm, const std::string& cmdline) {
        Mkdir("proc/" + n);
        WriteFileText(proc + "/" + n + "/comm", comm);
        WriteFileText(proc + "/" + n + "/cmdline", cmdline);
    };
    static const char kWine[] = "C:\\Program Files\\Outlook Express\\MSIMN.EXE\0/x\0";
    pid("12", "wine-preloader\n", std::string(kWine, sizeof kWine - 1));
    pid("13", "bash\n", std::string("/bin/bash\0-l\0", 13));
    pid("14", "kworker/0:1\n", "");  // kernel threads have no arguments
    Mkdir("proc/self");
    WriteFileText(proc + "/self/comm", "ignored\n");
    std::vector<std::string> names = ProcProcesses(proc).RunningExecutables();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"MSIMN.EXE", "bash", "kworker/0:1", "wine-preloader"}));
    EXPECT_TRUE(ProcProcesses(root + "/none").RunningExecutables().empty());
}

TEST_F(ServicesTest, RealProcessStartedUnderAChosenNameIsFound) {
    const std::string exe = root + "/msimn.exe";
    std::filesystem::copy_file("/bin/sleep", exe);
    ::chmod(exe.c_str(), 0755);
    ProcProcesses real;
    s.processes = &real;
    EXPECT_FALSE(IsProcessRunning(s, "msimn.exe"));
    pid_t child = 0;
    char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>("30"), nullptr};
    ASSERT_EQ(posix_spawn(&child, exe.c_str(), nullptr, nullptr, argv, environ), 0);
    bool found = false;
    for (int i = 0; i < 200 && !found; ++i) {  // until the child has exec'd
        found = IsProcessRunning(s, "MSIMN.EXE");
        if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(found);
}

TEST_F(ServicesTest, FileAndFolderTests) {
    const std::string hidden = Mkdir(".cach\xC3\xA9");
    WriteFileText(root + "/full.txt", "x");
    WriteFileText(root + "/empty.txt", "");
    EXPECT_TRUE(FolderExists(hidden));
    EXPECT_TRUE(FolderExists(hidden + "/"));
    EXPECT_FALSE(FolderExists(root + "/full.txt"));
    EXPECT_FALSE(FolderExists(root + "/absent"));
    EXPECT_FALSE(FolderExists(""));

    EXPECT_TRUE(FileExists(s, root + "/full.txt", true));
    EXPECT_FALSE(FileExists(s, root + "/absent", false));
    EXPECT_FALSE(FileExists(s, hidden, false));
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_FALSE(FileExists(s, root + "/empty.txt", true));
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "Fichier " + root + "/empty.txt introuvable ou endommag\xE9");
    EXPECT_EQ(window.boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(window.boxes[0].title, "Pelicard");
    FileExists(s, hidden, true);  // the path is told in the window's code page
    EXPECT_EQ(window.boxes[1].text, "Fichier " + root + "/.cach\xE9 introuvable ou endommag\xE9");
}

TEST_F(ServicesTest, QuestionsSignalHelpAndWindowsMailMode) {
    window.answers = {MsgResult::Yes, MsgResult::No};
    EXPECT_TRUE(AskYesNo(s, "Q ?"));
    EXPECT_FALSE(AskYesNo(s, "Q ?"));
    EXPECT_FALSE(AskYesNo(s, "Q ?"));  // closing the box is no Yes
    EXPECT_EQ(window.boxes[0].icon, MsgIcon::Question);
    EXPECT_EQ(window.boxes[0].buttons, MsgButtons::YesNo);

    SignalDone(s);
    EXPECT_EQ(sound.played, 1);
    EXPECT_TRUE(window.visible["txtEnd"]);
    EXPECT_EQ(window.texts["txtEnd"], "Op\xE9ration termin\xE9" "e");
    PressHelpKey(s);
    EXPECT_EQ(help.shown, 1);

    s.env.WindowsMailMode = true;
    DetectWindowsMail(s);
    EXPECT_FALSE(s.env.WindowsMailMode);
    EXPECT_TRUE(IsWindowsMailSystem(true, 6));
    EXPECT_FALSE(IsWindowsMailSystem(true, 5));
    EXPECT_FALSE(IsWindowsMailSystem(true, 10));
    EXPECT_FALSE(IsWindowsMailSystem(false, 6));
}

TEST_F(ServicesTest, AboutNamesTheProgramItsDateAndVersion) {
    const std::string exe = root + "/pelicard.bin";
    WriteFileText(exe, "x");
    timespec times[2] = {{1796558400, 0}, {1796558400, 0}};  // 2026-12-06 12:00 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, exe.c_str(), times, 0), 0);
    s.app.ExecutablePath = exe;
    ShowAbout(s);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].icon, MsgIcon::Information);
    const std::string& t = window.boxes[0].text;
    EXPECT_EQ(t.substr(0, t.find('\r')), "Programme pelicard du dimanche 6 d\xE9" "cembre 2026");
    EXPECT_NE(t.find("\rVersion " PELICARD_VERSION "\rAuteur : "), std::string::npos);
    EXPECT_NE(t.find("\r\rProgramme destin\xE9 \xE0 extraire les messages des fichiers Outlook Express (dbx) "
                     "et \xE0 \xE9" "diter les messgaes de Windows Mail et Outlook Express"),
              std::string::npos);
    s.app.ExecutablePath = root + "/absent";
    EXPECT_THROW(AboutText(s), Fault);
}

TEST(BuiltIn, CompletionSoundIsAWellFormedShortWave) {
    const std::string& w = DoneSoundWav();
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(w[at]) |
                                          static_cast<unsigned char>(w[at + 1]) << 8 |
                                          static_cast<unsigned char>(w[at + 2]) << 16 |
                                          static_cast<std::uint32_t>(static_cast<unsigned char>(w[at + 3])) << 24);
    };
    ASSERT_GT(w.size(), 44u);
    EXPECT_EQ(w.substr(0, 4), "RIFF");
    EXPECT_EQ(u32(4), w.size() - 8);
    EXPECT_EQ(w.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(w.substr(36, 4), "data");
    EXPECT_EQ(u32(40), w.size() - 44);
    const double seconds = (w.size() - 44) / 2.0 / u32(24);
    EXPECT_GT(seconds, 0.1);
    EXPECT_LT(seconds, 1.0);
    // Not silent, and no sample at full scale (no clipping).
    int peak = 0;
    for (std::size_t i = 44; i + 1 < w.size(); i += 2)
        peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(
                                  static_cast<unsigned char>(w[i]) | static_cast<unsigned char>(w[i + 1]) << 8))));
    EXPECT_GT(peak, 5000);
    EXPECT_LT(peak, 32767);
}

TEST(BuiltIn, ManualIsAsciiHtmlCoveringCommandsOptionsAndPlaces) {
    const std::string& h = HelpHtml();
    for (unsigned char c : h) ASSERT_LT(c, 0x80);
    for (const char* part : {"<html", "</html>", "Fichier dbx", "Dossier WM", "Nws et Eml", "Format texte",
                             "Messages group&eacute;s par conversation", "Messages group&eacute;s par s&eacute;lection",
                             "Dossier de stockage", "Documents Pelicard", "Pelicard.ini", "msimn.exe"})
        EXPECT_NE(h.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace pelicard::testing
