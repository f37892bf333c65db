#include "app/services.hpp"

#include <sys/stat.h>

#include <cctype>

#include "app/linux_folders.hpp"
#include "app/ports.hpp"
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

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
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
    static const char* const kDays[] = {"jeudi", "vendredi", "samedi", "dimanche",
                                        "lundi", "mardi",    "mercredi"};
    static const char* const kMonths[] = {"janvier", "f\xE9vrier", "mars",      "avril",
                                          "mai",     "juin",       "juillet",   "ao\xFBt",
                                          "septembre", "octobre",  "novembre",  "d\xE9" "cembre"};
    if (month < 1 || month > 12 || day < 1 || day > 31) return {};
    std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    int wd = static_cast<int>(((days % 7) + 7) % 7);  // 1970-01-01 was a Thursday
    return std::string(kDays[wd]) + " " + std::to_string(day) + " " + kMonths[month - 1] + " " +
           std::to_string(year);
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
    std::int64_t days = t >= 0 ? t / 86400 : (t - 86399) / 86400;
    int y = 0, m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    return "Programme " + Utf8ToCp1252(name) + " du " + LongFrenchDate(y, m, d) + "\r" +
           "Version " PELICARD_VERSION "\r" +
           "Auteur : Pelicard, d'apr\xE8s la premi\xE8re \xE9tude publique du format des fichiers "
           "dbx d'Outlook Express\r\r" +
           "Programme destin\xE9 \xE0 extraire les messages des fichiers Outlook Express (dbx) et "
           "\xE0 \xE9" "diter les messgaes de Windows Mail et Outlook Express";
}

void ShowAbout(State& s) { ShowMessage(s, AboutText(s), MsgIcon::Information); }

void PressHelpKey(State& s) { s.help->ShowHelp(); }

}  // namespace pelicard
