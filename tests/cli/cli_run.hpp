// Runs the batch tool and reads back what it printed.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pelicard::testing {

struct CliResult {
    int rc = -1;
    std::string out, err;
};

inline std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline CliResult RunCli(const std::string& args) {
    static int n = 0;
    const std::string base = (std::filesystem::temp_directory_path() /
                              ("pelicard-cli-" + std::to_string(::getpid()) + "-" + std::to_string(++n)))
                                 .string();
    const int st = std::system((std::string(PELICARD_CLI) + " " + args + " >" + Quote(base + ".out") + " 2>" +
                                Quote(base + ".err"))
                                   .c_str());
    CliResult r{WIFEXITED(st) ? WEXITSTATUS(st) : -1, Slurp(base + ".out"), Slurp(base + ".err")};
    std::filesystem::remove(base + ".out");
    std::filesystem::remove(base + ".err");
    return r;
}

}  // namespace pelicard::testing
