// The batch tool on Windows Mail sources (OpenWmStore through `liste`).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/eml_builder.hpp"

using pelicard::testing::SimpleEml;
using pelicard::testing::TempFolder;

namespace {

struct ToolRun {
    int status;
    std::string out;
};

// Runs the tool with standard error merged into the output.
ToolRun Liste(const std::string& source) {
    std::string cmd = std::string("TZ=Europe/Paris '") + PELICARD_CLI + "' liste '" + source + "' 2>&1";
    ToolRun r{-1, {}};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    r.status = pclose(p);
    return r;
}

TEST(WmBatchTool, ListsTheFolderOfAMessageFileOrTheFolderItself) {
    if (!std::filesystem::exists(PELICARD_CLI)) GTEST_SKIP() << "pelicard-extract not built";
    TempFolder dir;
    const std::string folder = dir.Path() + "/R\xC3\xA9" "ception";  // UTF-8 name on disk
    dir.Write("R\xC3\xA9" "ception/b.eml", SimpleEml("Re: Bonjour", "<b>", "<a>").Text());
    dir.Write("R\xC3\xA9" "ception/a.eml", SimpleEml("Bonjour", "<a>").Text());
    for (const std::string& source : {folder + "/a.eml", folder, folder + "/"}) {
        ToolRun r = Liste(source);
        EXPECT_EQ(r.status, 0) << source << "\n" << r.out;
        EXPECT_NE(r.out.find("2 messages contenus dans le dossier R\xC3\xA9" "ception"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Bonjour\tAlice <alice@example.org>\t01/01/2009 13:00:00"), std::string::npos) << r.out;
    }
    ToolRun missing = Liste(folder + "/absent.eml");
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.out.find("Pas de fichier s\xC3\xA9lectionn\xC3\xA9."), std::string::npos) << missing.out;
}

}  // namespace
