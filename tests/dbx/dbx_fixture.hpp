// A fresh shared state wired to the fake window and the system time zone
// pinned to Paris, with helpers to open built .dbx bytes.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>

#include "app/system_time_zone.hpp"
#include "common/fault.hpp"
#include "common/state.hpp"
#include "dbx/header.hpp"
#include "dbx/list_oe.hpp"
#include "dbx/tree.hpp"
#include "support/dbx_builder.hpp"
#include "support/fake_window.hpp"

namespace pelicard::testing {

class DbxTest : public ::testing::Test {
protected:
    FakeWindow window;
    SystemTimeZone zone;
    State s;
    std::unique_ptr<TempFile> file;

    DbxTest() {
        ::setenv("TZ", "Europe/Paris", 1);
        ::tzset();
        s.window = &window, s.timeZone = &zone;
    }
    ~DbxTest() override { CloseByteFile(s.dbx.File); }

    // Writes the bytes to a temporary file and reads its header.
    std::int32_t Open(const std::string& bytes) {
        CloseByteFile(s.dbx.File);
        file = std::make_unique<TempFile>(bytes, "store.dbx");
        s.dbx.ChosenPath = file->path;
        return ReadFileHeader(s);
    }
    // Header, walk and list build; false when the header refused the file.
    bool List(const std::string& bytes) {
        const std::int32_t root = Open(bytes);
        if (root == 0) return false;
        StartTreeWalk(s, root);
        CompleteListOE(s);
        return true;
    }
    // One field of every listed entry, in list order.
    std::vector<std::string> Listed(std::string MessageEntry::*field) const {
        std::vector<std::string> out;
        for (std::int32_t i = 1; i <= s.list.Count; ++i) out.push_back(s.list.Oe[static_cast<std::size_t>(i)].*field);
        return out;
    }
};

inline DbxMessage Msg(const std::string& subject, const std::string& id = "", const std::string& refs = "",
                      const std::string& conv = "") {
    DbxMessage m{subject, conv.empty() ? subject : conv, {}, {}, "Jean", FileTimeUtc(2007, 3, 5, 13, 7, 9),
                 "Subject: " + subject + "\r\n\r\nCorps\r\n"};
    if (!id.empty()) m.ownId = id;
    if (!refs.empty()) m.references = refs;
    return m;
}

}  // namespace pelicard::testing
