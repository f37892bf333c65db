#pragma once
#include <string>
#include "common/state.hpp"
namespace pelicard {
// The open-file dialog; `path` is both the starting point and the result.
// dbxMode picks the .dbx filter, else the .eml/.nws one.
bool ChooseMessageFile(State& s, std::string& path, bool dbxMode);
}  // namespace pelicard
