// The files of a folder read ahead on a second thread come out in order, as
// reading each on the calling thread gives them, whatever their number.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/fault.hpp"
#include "support/eml_builder.hpp"
#include "wm/files_ahead.hpp"

using namespace pelicard;
using pelicard::testing::TempFolder;

namespace {

// What taking every file gives: the bytes, "-" for none, "!" for a fault.
std::vector<std::string> TakeAll(const std::vector<std::string>& paths) {
    FilesAhead files(paths);
    std::vector<std::string> got;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::string bytes = "left over";
        try {
            got.push_back(files.Take(bytes) ? bytes : "-");
        } catch (const Fault&) {
            got.push_back("!");
        }
    }
    return got;
}

// A regular file with a size that cannot be read, even by root (a
// write-only kernel setting); empty when the system has none.
std::string UnreadableFile() {
    const char* path = "/sys/bus/pci/rescan";
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) > 0 ? path : "";
}

TEST(FilesAhead, EveryFileInOrderWithOneThreadOrTwo) {
    TempFolder dir;
    std::filesystem::create_directory(dir.Path() + "/folder");
    const std::string unreadable = UnreadableFile();
    for (std::size_t count : {1, 5, 15, 16, 17, 64, 65, 300}) {
        std::vector<std::string> paths, expected;
        for (std::size_t i = 0; i < count; ++i) {
            switch (i % 5) {
                case 0:  // missing
                    paths.push_back(dir.Path() + "/absent" + std::to_string(i));
                    expected.push_back("-");
                    break;
                case 1:  // empty
                    paths.push_back(dir.Write("empty" + std::to_string(i), ""));
                    expected.push_back("-");
                    break;
                case 2:  // a folder: not a file
                    paths.push_back(dir.Path() + "/folder");
                    expected.push_back("-");
                    break;
                case 3:  // the fault of reading it comes in its place
                    if (!unreadable.empty()) {
                        paths.push_back(unreadable);
                        expected.push_back("!");
                        break;
                    }
                    [[fallthrough]];
                default:
                    expected.push_back(std::string(i * 97 % 5000 + 1, static_cast<char>('a' + i % 26)));
                    paths.push_back(dir.Write("m" + std::to_string(i), expected.back()));
            }
        }
        EXPECT_EQ(TakeAll(paths), expected) << count << " files";
    }
}

TEST(FilesAhead, LeftBeforeTheEndStopsTheThread) {
    TempFolder dir;
    std::vector<std::string> paths;
    // More than the thread reads ahead, in files and in bytes.
    for (int i = 0; i < 200; ++i) paths.push_back(dir.Write("m" + std::to_string(i), std::string(300000, 'x')));
    for (std::size_t taken : {0, 1, 3, 199}) {
        FilesAhead files(paths);
        std::string bytes;
        for (std::size_t i = 0; i < taken; ++i) ASSERT_TRUE(files.Take(bytes));
        EXPECT_EQ(bytes.size(), taken == 0 ? 0u : 300000u);
    }  // each destructor returns: nothing hangs
}

}  // namespace
