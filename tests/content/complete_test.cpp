// The complete text of a folder-file message: the whole chain, past where
// the shown text stops, and what is kept when the chain is damaged.
#include <gtest/gtest.h>

#include <functional>

#include "common/byte_file.hpp"
#include "content/complete.hpp"
#include "support/dbx_builder.hpp"

using namespace pelicard;
using pelicard::testing::DbxBuilder;
using pelicard::testing::kDbxBlockSize;
using pelicard::testing::Le32;
using pelicard::testing::TempFile;

namespace {

TEST(CompleteChain, WholeChainsAndDamagedOnes) {
    // 1300 bytes: three blocks, an attachment in the second one.
    std::string text = "Subject: x\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\nSalut\r\n"
                       "--b\r\nContent-Type: image/png; name=a.png\r\n\r\n";
    text.resize(1300, 'A');
    struct Case {
        const char* name;
        std::function<void(DbxBuilder&, std::uint32_t first)> damage;
        std::size_t kept;  // bytes of text kept
        bool cut;
    };
    const std::vector<Case> cases = {
        {"sound", [](DbxBuilder&, std::uint32_t) {}, 1300, false},
        {"second block points back to the first",
         [](DbxBuilder& b, std::uint32_t f) { b.Patch(f + kDbxBlockSize + 12, Le32(f)); }, 1024, true},
        {"second block names another position", [](DbxBuilder& b, std::uint32_t f) { b.Patch(f + kDbxBlockSize, Le32(7)); },
         512, true},
        {"next block past the end", [](DbxBuilder& b, std::uint32_t f) { b.Patch(f + 12, Le32(0x7FFFFFF0)); }, 512, true},
        {"last length past the end",
         [](DbxBuilder& b, std::uint32_t f) { b.Patch(f + 2 * kDbxBlockSize + 8, std::string("\xFF\xFF", 2)); }, 1024, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DbxBuilder b;
        b.AddRaw(std::string(64, '\0'));
        const std::uint32_t first = b.AddText(text);
        c.damage(b, first);
        TempFile file(b.Bytes());
        ByteFile f;
        ASSERT_TRUE(OpenByteFile(f, file.path));
        const CompleteText got = ReadCompleteChain(f, first);
        EXPECT_EQ(got.bytes, text.substr(0, c.kept));
        EXPECT_EQ(got.problem.empty(), !c.cut) << got.problem;
        CloseByteFile(f);
    }
}

}  // namespace
