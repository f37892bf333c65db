// Whatever the batch tool does with a store — list, show, export — the store
// files keep their bytes and their times.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Snapshot {
    std::string bytes;
    fs::file_time_type written;
    fs::perms perms;
    bool operator==(const Snapshot&) const = default;
};

std::map<std::string, Snapshot> Take(const fs::path& root) {
    std::map<std::string, Snapshot> all;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        all[e.path().string()] = {ss.str(), fs::last_write_time(e.path()), fs::status(e.path()).permissions()};
    }
    return all;
}

int Run(const std::string& args) {
    std::string cmd = std::string(PELICARD_CLI) + " " + args + " >/dev/null 2>&1";
    return std::system(cmd.c_str());
}

}  // namespace

TEST(StoreUntouched, ListingShowingAndExportingLeaveEveryStoreFileAsItWas) {
    const fs::path tmp = fs::temp_directory_path() / ("pelicard-untouched-" + std::to_string(::getpid()));
    fs::remove_all(tmp);
    fs::create_directories(tmp / "out");
    fs::copy(fs::path(PELICARD_SAMPLES), tmp / "stores", fs::copy_options::recursive);
    for (const auto& e : fs::recursive_directory_iterator(tmp / "stores"))
        if (e.is_regular_file())
            fs::permissions(e.path(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto before = Take(tmp / "stores");
    ASSERT_FALSE(before.empty());

    const std::string dbx = "'" + (tmp / "stores/dbx/Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx").string() + "'";
    const std::string wm = "'" + (tmp / "stores/wm/Archives").string() + "'";
    const std::string out = " --stockage '" + (tmp / "out").string() + "'";
    for (const std::string& src : {dbx, wm}) {
        ::Run("liste " + src);
        ::Run("liste " + src + " --json");
        ::Run("affiche " + src + " 1");
        ::Run("affiche " + src + " 2 --brut");
        ::Run("exporte " + src + " --texte" + out);
        ::Run("exporte " + src + " --brut" + out);
        ::Run("exporte " + src + " --texte --par-conversation" + out);
    }
    EXPECT_TRUE(Take(tmp / "stores") == before);
    fs::remove_all(tmp);
}
