#include "app/extra_settings.hpp"

#include <cerrno>
#include <charconv>
#include <cstdio>

#include "app/services.hpp"
#include "app/startup.hpp"
#include "app/whole_file.hpp"
#include "common/report.hpp"
#include "common/text.hpp"

namespace pelicard {
namespace {

std::string_view Trimmed(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    return v;
}

// The key of a line, or empty for a comment, a blank line or a line without "=".
std::string_view KeyOf(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    std::string_view key = Trimmed(line.substr(0, eq));
    if (!key.empty() && (key.front() == '#' || key.front() == ';')) return {};
    return key;
}

std::string* LineOf(ExtraSettings& x, std::string_view key) {
    for (std::string& line : x.lines)
        if (KeyOf(line) == key) return &line;
    return nullptr;
}

void Tell(State& s, const std::string& utf8) { ShowMessage(s, Utf8ToCp1252(utf8), MsgIcon::Exclamation); }

// Why a file step failed, in the words of the program's faults (UTF-8).
std::string Reason(int err) {
    switch (err) {
        case EACCES:
        case EPERM:
        case EROFS:
            return Cp1252ToUtf8(faults::kPermission);
        case ENOSPC:
        case EDQUOT:
            return Cp1252ToUtf8(faults::kDiskFull);
        default:
            return Cp1252ToUtf8(faults::kPathAccess);
    }
}

const char* const kDefaultsKept = "les réglages de la fenêtre reprennent leurs valeurs de départ et ce fichier ne sera pas remplacé.";

}  // namespace

std::string ExtraSettingsPath(const State& s) { return s.env.AppFolder + kExtraSettingsName; }

ExtraSettings ParseExtraSettings(std::string_view text) {
    ExtraSettings x;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        x.lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return x;
}

std::string FormatExtraSettings(const ExtraSettings& x) {
    std::string out;
    for (const std::string& line : x.lines) out.append(line).push_back('\n');
    return out;
}

std::optional<std::string> ExtraValue(const ExtraSettings& x, std::string_view key) {
    for (const std::string& line : x.lines)
        if (KeyOf(line) == key) return std::string(Trimmed(std::string_view(line).substr(line.find('=') + 1)));
    return std::nullopt;
}

int ExtraNumber(const ExtraSettings& x, std::string_view key, int fallback, int low, int high) {
    const std::optional<std::string> v = ExtraValue(x, key);
    if (!v) return fallback;
    int n = 0;
    const char* end = v->data() + v->size();
    const auto [ptr, ec] = std::from_chars(v->data(), end, n);
    if (ec != std::errc() || ptr != end || n < low || n > high) return fallback;
    return n;
}

void SetExtraValue(ExtraSettings& x, std::string_view key, std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    std::string line = std::string(key) + "=" + value;
    std::string* old = LineOf(x, key);
    if (old && *old == line) return;
    if (old) *old = std::move(line);
    else x.lines.push_back(std::move(line));
    x.changed = true;
}

void ReadExtraSettings(State& s) {
    ExtraSettings& x = s.app.extra;
    x = ExtraSettings{};
    const std::string path = ExtraSettingsPath(s);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (errno == ENOENT) return;
        x.readable = false;
        Tell(s, "Le fichier " + path + " n'a pas pu être lu (" + Reason(errno) + ") : " + kDefaultsKept);
        return;
    }
    std::string text(kIniReadLimit + 1, '\0');
    const std::size_t n = std::fread(text.data(), 1, text.size(), f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed || n > kIniReadLimit) {
        // Not a file this program wrote: it is neither read nor replaced.
        x.readable = false;
        Tell(s, "Le fichier " + path + " n'a pas pu être lu (" + (failed ? Reason(EIO) : "trop grand") + ") : " +
                    kDefaultsKept);
        return;
    }
    text.resize(n);
    x = ParseExtraSettings(text);
}

bool WriteExtraSettings(State& s) {
    ExtraSettings& x = s.app.extra;
    if (!x.changed || !x.readable) return true;
    const std::string path = ExtraSettingsPath(s);
    if (int err = ReplaceWholeFile(path, FormatExtraSettings(x))) {
        Tell(s, "Les réglages de la fenêtre n'ont pas pu être enregistrés dans " + path + " (" + Reason(err) + ").");
        return false;
    }
    x.changed = false;
    return true;
}

}  // namespace pelicard
