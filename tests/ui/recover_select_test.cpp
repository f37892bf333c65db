// Opening a damaged .dbx file from the window: the scan is offered instead
// of the end of the program, and the answer decides what is listed.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/dbx_builder.hpp"
#include "support/fake_services.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"

using namespace pelicard;
using namespace pelicard::testing;

namespace {

const std::string kOffer = "Ce fichier est endommag\xE9. Rechercher les messages r\xE9" "cup\xE9rables ?";

TEST(RecoverOnOpen, ADamagedFileIsOfferedTheScanAndNothingEnds) {
    struct Case {
        const char* name;
        bool wipeHeader;  // else the root node's marker is wrong
        MsgResult answer;
        std::size_t rows;
    };
    for (const Case& c : {Case{"wiped header, no", true, MsgResult::No, 0}, Case{"wiped header, yes", true, MsgResult::Yes, 2},
                          Case{"bad tree marker, no", false, MsgResult::No, 0},
                          Case{"bad tree marker, yes", false, MsgResult::Yes, 2}}) {
        SCOPED_TRACE(c.name);
        DbxBuilder b;
        std::vector<std::uint32_t> records;
        for (const char* subject : {"Un", "Deux"}) {
            DbxMessage m;
            m.subject = subject;
            m.text = std::string("Subject: ") + subject + "\r\n\r\nCorps\r\n";
            records.push_back(b.AddMessage(m));
        }
        const std::uint32_t root = b.AddTree(records);
        b.Finish(2, root);
        if (c.wipeHeader)
            b.Patch(0, std::string(kDbxHeaderSize, '\0'));
        else
            b.Patch(root, Le32(root + 4));
        const TempFile store(b.Bytes(), "Courrier.dbx");

        FakeWindow w;
        FakeDialogs dialogs;
        FakeProcesses processes;
        State s;
        s.window = &w, s.dialogs = &dialogs, s.processes = &processes;
        w.answers.push_back(c.answer);
        dialogs.files.push_back(store.path);
        mnuFileDbx_Click(s);
        EXPECT_EQ(std::count_if(w.boxes.begin(), w.boxes.end(),
                                [](const ShownBox& x) { return x.text == kOffer && x.buttons == MsgButtons::YesNo; }),
                  1);
        EXPECT_FALSE(w.closed || s.Quitting || w.hourglass);
        EXPECT_EQ(w.rows.size(), c.rows);
        EXPECT_EQ(s.list.Count, static_cast<std::int32_t>(c.rows));
    }
}

}  // namespace
