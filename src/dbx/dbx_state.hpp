// The part of the shared state that the .dbx reader owns.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/byte_file.hpp"

namespace pelicard {

struct DbxState {
    std::string ChosenPath;        // native path of the chosen .dbx file
    ByteFile File;                 // open from the header check to the next open command
    std::int32_t AnnouncedCount = 0;
    std::int32_t CollectedCount = 0;
};

}  // namespace pelicard
