#include "app/startup.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>
#include <string_view>

#include "app/extra_settings.hpp"
#include "app/linux_folders.hpp"
#include "app/locations.hpp"
#include "app/text_options.hpp"
#include "app/services.hpp"
#include "app/whole_file.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "export/printer_port.hpp"
#include "ui/window_logic.hpp"

namespace pelicard {
namespace {

const char* const kIniName = "Pelicard.ini";
const char* const kTypeMismatch = "Incompatibilit\xE9 de type";
constexpr std::size_t kMaxPathField = 4096;

std::string IniPath(const State& s) { return s.env.AppFolder + kIniName; }

Fault ErrnoFault(int err) {
    switch (err) {
        case EACCES:
        case EPERM:
        case EROFS:
            return Fault(faults::kPermission);
        case ENOSPC:
        case EDQUOT:
            return Fault(faults::kDiskFull);
        case ENOMEM:
            return Fault(faults::kOutOfMemory);
        default:
            return Fault(faults::kPathAccess);
    }
}

// Creates a folder and the missing folders above it (the default storage
// folder lives in a documents folder that a fresh Linux account may lack).
void CreateFolder(const std::string& path) {
    if (path.empty()) throw Fault(faults::kPathAccess);
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        std::string part = path.substr(0, i);
        if (FolderExists(part)) continue;
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) throw ErrnoFault(errno);
    }
    if (!FolderExists(path)) throw Fault(faults::kPathAccess);
}

std::string StorageUnder(const std::string& parent) {
    if (parent.empty()) return kStorageName;
    return parent.back() == '/' ? parent + kStorageName : parent + "/" + kStorageName;
}

bool IsValidUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n;
        if (c < 0x80) n = 0;
        else if (c >= 0xC2 && c <= 0xDF) n = 1;
        else if (c >= 0xE0 && c <= 0xEF) n = 2;
        else if (c >= 0xF0 && c <= 0xF4) n = 3;
        else return false;
        if (i + n >= s.size() && n > 0) return false;
        for (std::size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

// The fields of the file, in the manner of a sequential Input: spaces before
// a value are skipped; a comma or a line end (CR LF, CR or LF) ends it; a
// value between quotes may hold commas.
class IniReader {
public:
    explicit IniReader(std::string_view t) : t_(t) {}

    std::string Field() {
        while (pos_ < t_.size() && t_[pos_] == ' ') ++pos_;
        if (pos_ >= t_.size()) throw Fault(faults::kReadPastEnd);
        if (t_[pos_] == '"') {
            // The closing quote is the first one followed, after spaces, by
            // the end of the value.
            for (std::size_t q = t_.find('"', pos_ + 1); q != std::string::npos; q = t_.find('"', q + 1)) {
                std::size_t after = q + 1;
                while (after < t_.size() && t_[after] == ' ') ++after;
                if (after == t_.size() || IsEnd(t_[after])) {
                    std::string v(t_.substr(pos_ + 1, q - pos_ - 1));
                    pos_ = after;
                    SkipEnd();
                    return v;
                }
            }
        }
        std::size_t start = pos_;
        while (pos_ < t_.size() && !IsEnd(t_[pos_])) ++pos_;
        std::string v(t_.substr(start, pos_ - start));
        SkipEnd();
        return v;
    }

    // Anything left but spaces and line ends.
    bool MoreText() const {
        for (std::size_t i = pos_; i < t_.size(); ++i)
            if (t_[i] != ' ' && t_[i] != '\r' && t_[i] != '\n' && t_[i] != '\t') return true;
        return false;
    }

private:
    static bool IsEnd(char c) { return c == ',' || c == '\r' || c == '\n'; }
    void SkipEnd() {
        if (pos_ >= t_.size()) return;
        if (t_[pos_] == '\r' && pos_ + 1 < t_.size() && t_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
    }
    std::string_view t_;
    std::size_t pos_ = 0;
};

std::string PathField(IniReader& r) {
    std::string v = r.Field();
    if (v.size() > kMaxPathField) throw Fault(faults::kBadFileName);
    for (unsigned char c : v)
        if (c < 0x20 || c == 0x7F) throw Fault(faults::kBadFileName);
    // The file is UTF-8 as the system writes it; an older one in Windows-1252
    // is taken as such.
    return IsValidUtf8(v) ? v : Cp1252ToUtf8(v);
}

std::uint8_t NumberField(IniReader& r) {
    std::string v = TrimSpaces(r.Field());
    if (v.empty()) return 0;
    unsigned n = 0;
    for (char c : v) {
        if (c < '0' || c > '9') throw Fault(kTypeMismatch);
        n = n * 10 + static_cast<unsigned>(c - '0');
        if (n > 255) throw Fault(faults::kOverflow);
    }
    return static_cast<std::uint8_t>(n);
}

std::string QuotedIfNeeded(const std::string& p) {
    bool quote = p.find_first_of(",\r\n") != std::string::npos ||
                 (!p.empty() && (p.front() == ' ' || p.front() == '"')) ||
                 p.compare(0, 3, "\xEF\xBB\xBF") == 0;  // not to be taken for a byte-order mark
    return quote ? "\"" + p + "\"" : p;
}

// Menu check marks and labels that mirror the options.
void ShowOptions(State& s) {
    const Settings& st = s.settings;
    s.window->SetChecked("mnuGrouping", st.GroupingOption == 1);
    s.window->SetVisible("lblGrouping", st.GroupingOption == 1);
    s.window->SetChecked("mnuSelection", st.SelectionOption == 1);
    s.window->SetVisible("lblSelection", st.SelectionOption == 1);
    s.window->SetChecked("mnuConfirm(0)", st.ConfirmOption == 1);
    s.window->SetChecked("mnuConfirm(1)", st.ConfirmOption == 0);
}

std::string ReadBounded(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw ErrnoFault(errno);
    std::string text(kIniReadLimit, '\0');
    std::size_t n = std::fread(text.data(), 1, text.size(), f);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw Fault(faults::kPathAccess);
    text.resize(n);
    return text;
}

void WriteWhole(const std::string& path, const std::string& text) {
    if (int err = ReplaceWholeFile(path, text)) throw ErrnoFault(err);
}

}  // namespace

std::string FormatIni(const Settings& st) {
    return QuotedIfNeeded(st.StorageFolder) + "\r\n" + QuotedIfNeeded(st.LastFolder) + "\r\n" +
           ToDecimal(st.GroupingOption) + "\r\n" + ToDecimal(st.SelectionOption) + "\r\n" +
           ToDecimal(st.ConfirmOption) + "\r\n";
}

bool ParseIni(const std::string& text, Settings& st) {
    // A byte-order mark left by a text editor is not part of the path.
    std::string_view body(text);
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    IniReader r(body);
    st.StorageFolder = PathField(r);
    st.LastFolder = PathField(r);
    st.GroupingOption = NumberField(r);
    st.SelectionOption = NumberField(r);
    st.ConfirmOption = NumberField(r);
    bool clean = !r.MoreText();
    // An option is on only as 1; the two groupings are never both on.
    for (std::uint8_t* o : {&st.GroupingOption, &st.SelectionOption, &st.ConfirmOption})
        if (*o > 1) {
            *o = 0;
            clean = false;
        }
    if (st.GroupingOption == 1 && st.SelectionOption == 1) {
        st.SelectionOption = 0;
        clean = false;
    }
    return clean;
}

void ReadIni(State& s) {
    s.app.SettingsRead = true;
    Settings& st = s.settings;
    bool repair = false;
    try {
        const std::string path = IniPath(s);
        if (!FileExists(s, path, false)) {
            // First start.
            st.StorageFolder = StorageUnder(s.env.MyDocumentsFolder);
            std::string parent = ChooseStorageParent(s, s.env.MyDocumentsFolder);
            if (!parent.empty()) st.StorageFolder = StorageUnder(parent);
            if (!FolderExists(st.StorageFolder)) CreateFolder(st.StorageFolder);
            st.GroupingOption = 0;
            st.SelectionOption = 0;
            st.ConfirmOption = 0;
            WriteIni(s, false);
            return;
        }
        bool clean = ParseIni(ReadBounded(path), st);
        ShowOptions(s);
        if (!clean) WriteIni(s, false);  // read as far as it makes sense, then rewritten
        return;
    } catch (const Fault& f) {
        ShowFault(s, "ReadIni", f);
        repair = true;
    } catch (const std::bad_alloc&) {
        ShowFault(s, "ReadIni", Fault(faults::kOutOfMemory));
        repair = true;
    }
    if (repair) {
        // The values read so far stand, the others keep what they held.
        ShowMessage(s, "Pelicard r\xE9pare pour vous");
        WriteIni(s, false);
        ShowOptions(s);
    }
}

void WriteIni(State& s, bool ask) {
    try {
        if (ask && !AskYesNo(s, "Voulez-vous enregistrer le choix des options ?")) return;
        if (!FolderExists(s.env.AppFolder)) CreateFolder(s.env.AppFolder);
        WriteWhole(IniPath(s), FormatIni(s.settings));
    } catch (const Fault& f) {
        EndOnFault(s, "WriteIni", f);
    } catch (const std::bad_alloc&) {
        EndOnFault(s, "WriteIni", Fault(faults::kOutOfMemory));
    }
}

void InitPelicard(State& s) {
    try {
        // a. The program's own folder: per user on Linux, made at first start.
        s.env.AppFolder = AppFolderPath();
        if (!FolderExists(s.env.AppFolder)) CreateFolder(s.env.AppFolder);
        if (s.app.ExecutablePath.empty()) s.app.ExecutablePath = RunningExecutablePath();
        // b.
        s.env.MyDocumentsFolder = MyDocumentsPath();
        // c. The window is shown by its own layer before the load runs.
        // d.
        ReadIni(s);
        ReadExtraSettings(s);
        ReadTextOptions(s);
        // e. f. WindowsMailMode is false on Linux, yet both openers stay
        // offered: on Linux both kinds of store come from copies.
        DetectWindowsMail(s);
        // g.
        s.env.StoreRoot = WMFolder(s);
        // h.
        Settings& st = s.settings;
        if (!s.env.StoreRoot.empty()) {
            bool keep = !s.env.WindowsMailMode && !st.LastFolder.empty() && FolderExists(st.LastFolder);
            if (!keep) st.LastFolder = s.env.StoreRoot;
        }
        // i.
        if (!FolderExists(st.StorageFolder)) {
            st.StorageFolder = StorageUnder(s.env.MyDocumentsFolder);
            std::string parent = ChooseStorageParent(s, s.env.MyDocumentsFolder);
            if (!parent.empty()) st.StorageFolder = StorageUnder(parent);
            if (!FolderExists(st.StorageFolder)) CreateFolder(st.StorageFolder);
        }
        // j. The manual is built in; the name stays for the window's help.
        s.app.HelpFile = s.env.AppFolder + "Pelicard.chm";
        // k.
        s.printer->SetFont("Arial", 10);
        s.window->SetEnabled("mnuSelectAll", false);
        s.app.Started = true;
    } catch (const Fault& f) {
        EndOnFault(s, "InitPelicard", f);
    } catch (const std::bad_alloc&) {
        EndOnFault(s, "InitPelicard", Fault(faults::kOutOfMemory));
    }
}

bool StartUp(State& s) {
    try {
        InitPelicard(s);
        DisableCommands(s);
        return !s.Quitting;
    } catch (const ProgramEnding&) {
        return false;
    }
}

void Shutdown(State& s) {
    if (s.app.ShutDown) return;
    s.app.ShutDown = true;
    // Settings never read (a start-up that failed before) are not written
    // over the file.
    if (s.app.SettingsRead) {
        try {
            WriteIni(s, s.settings.ConfirmOption == 0);
        } catch (const ProgramEnding&) {
        }
        WriteExtraSettings(s);
    }
    s.list = MessageList{};
    s.selection = Selection{};
    s.texts = WorkingTexts{};
}

}  // namespace pelicard
