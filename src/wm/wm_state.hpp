// The part of the shared state that this subsystem owns.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pelicard {

struct WmState {
    // Number of message files accepted by the last scan (= entries).
    std::int32_t WmFileCount = 0;
    // Folder being shown, native path without trailing separator.
    std::string WmFolderPath;
};

}  // namespace pelicard
