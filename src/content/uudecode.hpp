// Files uuencoded inside a message's text, as old news messages carry them:
// a "begin MODE NAME" line, encoded lines, then "end".
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace pelicard {

struct UuFile {
    std::string name;   // as written on the begin line (raw bytes)
    std::string bytes;  // decoded; what could be read when "end" never comes
};

std::vector<UuFile> FindUuencoded(std::string_view text);

}  // namespace pelicard
