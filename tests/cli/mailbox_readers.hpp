// Readers of mailboxes written by others, for the mailbox tests: Python's
// mailbox module (every message's bytes, the Maildir flags) and neomutt
// (the count its status line shows, headless).
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_run.hpp"

namespace pelicard::testing {

// Writes every message of the mailbox to OUT/<n> in mailbox order (Maildir:
// by delivery number), its Maildir flags to OUT/<n>.flags; prints the count.
inline const char* const kPythonReader = R"(
import mailbox, os, re, sys
form, path, out = sys.argv[1:4]
if form == 'mbox':
    box = mailbox.mbox(path, create=False)
    keys = list(box.keys())
else:
    box = mailbox.Maildir(path, factory=None, create=False)
    keys = sorted(box.keys(), key=lambda k: int(re.search(r'Q(\d+)', k).group(1)))
for n, k in enumerate(keys, 1):
    open(os.path.join(out, str(n)), 'wb').write(box.get_bytes(k))
    if form == 'maildir':
        open(os.path.join(out, str(n) + '.flags'), 'w').write(box.get_message(k).get_flags())
print(len(keys))
)";

inline bool Have(const std::string& tool) { return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0; }

// The messages Python reads from a mailbox, in order.
inline std::vector<std::string> PythonRead(const std::string& form, const std::string& path, const TempFolder& tmp,
                                    std::vector<std::string>* flags = nullptr) {
    const std::string script = tmp.Write("reader.py", kPythonReader);
    const std::filesystem::path out = std::filesystem::path(tmp.Path()) / ("read-" + form);
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    const std::string cmd = "python3 " + Quote(script) + " " + form + " " + Quote(path) + " " + Quote(out.string());
    EXPECT_EQ(std::system((cmd + " >" + Quote(tmp.Path() + "/count")).c_str()), 0) << cmd;
    const int n = std::atoi(Slurp(tmp.Path() + "/count").c_str());
    std::vector<std::string> all;
    for (int i = 1; i <= n; ++i) {
        all.push_back(Slurp(out / std::to_string(i)));
        if (flags) flags->push_back(Slurp(out / (std::to_string(i) + ".flags")));
    }
    return all;
}

// The count neomutt shows in its status line after opening the mailbox.
inline int NeomuttCount(const std::string& path, const TempFolder& tmp) {
    const std::filesystem::path home = std::filesystem::path(tmp.Path()) / "home";
    std::filesystem::create_directories(home / "Mail");
    const std::string inner = "neomutt -n -F /dev/null -R -f " + Quote(path) +
                              " -e 'set status_format=\"COUNT=%m=\" quit=yes' -e 'push <quit>'";
    const std::string screen = tmp.Path() + "/screen";
    std::system(("HOME=" + Quote(home.string()) + " TERM=xterm timeout 30 script -qec " + Quote(inner) +
                 " /dev/null </dev/null >" + Quote(screen) + " 2>&1").c_str());
    const std::string s = Slurp(screen);
    const std::size_t at = s.rfind("COUNT=");
    return at == std::string::npos ? -1 : std::atoi(s.c_str() + at + 6);
}

}  // namespace pelicard::testing
