#include "support/samples.hpp"

#include <gtest/gtest.h>

#include "common/byte_file.hpp"
#include "dbx/header.hpp"
#include "dbx/list_oe.hpp"
#include "dbx/tree.hpp"

namespace pelicard::testing {

void ForEachSampleDbx(State& s, const std::function<void()>& visit) {
    for (const char* name : {"Bo\xC3\xAEte de r\xC3\xA9" "ception.dbx", "\xC3\x89l\xC3\xA9ments envoy\xC3\xA9s.dbx"}) {
        s.dbx.ChosenPath = std::string(PELICARD_SAMPLES) + "/dbx/" + name;
        const std::int32_t root = ReadFileHeader(s);
        ASSERT_GT(root, 0) << name;
        StartTreeWalk(s, root);
        CompleteListOE(s);
        visit();
        CloseByteFile(s.dbx.File);
    }
}

}  // namespace pelicard::testing
