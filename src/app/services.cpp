#include "app/services.hpp"

#include <sys/stat.h>

#include <cctype>

#include "app/linux_folders.hpp"
#include "app/ports.hpp"
#include "common/civil_time.hpp"
#include "common/report.hpp"
#include "common/text.hpp"

#ifndef PELICARD_VERSION
#define PELICARD_VERSION "0.0.0"
#endif

namespace pelicard {
namespace {

std::string AsciiLower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}


}  // namespace

bool IsProcessRunning(State& s, const std::string& exeName) {
    const std::string wanted = AsciiLower(exeName);
    for (const std::string& name : s.processes->RunningExecutables())
        if (AsciiLower(name).find(wanted) != std::string::npos) return true;
    return false;
}

bool IsWindowsMailSystem(bool ntFamily, int majorVersion) { return ntFamily && majorVersion == 6; }

void DetectWindowsMail(State& s) {
    // Linux is no Windows system: neither client is the system's own, and the
    // window offers both openers.
    s.env.WindowsMailMode = IsWindowsMailSystem(false, 0);
}

bool FileExists(State& s, const std::string& path, bool report) {
    struct stat st {};
    bool ok = !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 1;
    if (!ok && report) FileDoesNotExist(s, path);
    return ok;
}

void FileDoesNotExist(State& s, const std::string& path) {
    ShowMessage(s, "Fichier " + Utf8ToCp1252(path) + " introuvable ou endommag\xE9", MsgIcon::Critical);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool AskYesNo(State& s, const std::string& question) {
    return s.window->MessageBox(question, kProgramTitle, MsgIcon::Question, MsgButtons::YesNo) ==
           MsgResult::Yes;
}

void PlayDoneSound(State& s) { s.sound->PlayDone(); }

void SignalDone(State& s) {
    PlayDoneSound(s);
    s.window->SetText("txtEnd", "Op\xE9ration termin\xE9" "e");
    s.window->SetVisible("txtEnd", true);
}

std::string LongFrenchDate(int year, int month, int day) {
    if (!IsValidCivilDate(year, month, day)) return {};
    return FrenchDate(CivilTime{year, month, day});
}

std::string AboutText(State& s) {
    std::string exe = s.app.ExecutablePath.empty() ? RunningExecutablePath() : s.app.ExecutablePath;
    struct stat st {};
    if (exe.empty() || ::stat(exe.c_str(), &st) != 0) throw Fault(faults::kFileNotFound);
    std::string name = exe.substr(exe.find_last_of('/') + 1);
    if (std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    // The file's date in local time.
    std::int64_t t = st.st_mtime;
    t += s.timeZone->UtcOffsetAt(t);
    return "Programme " + Utf8ToCp1252(name) + " du " + FrenchDate(FromUnixSeconds(t)) + "\r" +
           "Version " PELICARD_VERSION "\r" +
           "Auteur : Pelicard, d'apr\xE8s la premi\xE8re \xE9tude publique du format des fichiers "
           "dbx d'Outlook Express\r\r" +
           "Programme destin\xE9 \xE0 extraire les messages des fichiers Outlook Express (dbx) et "
           "\xE0 \xE9" "diter les messages de Windows Mail et Outlook Express";
}

void ShowAbout(State& s) { ShowMessage(s, AboutText(s), MsgIcon::Information); }

void PressHelpKey(State& s) { s.help->ShowHelp(); }

}  // namespace pelicard
