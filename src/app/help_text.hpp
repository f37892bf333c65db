// The help manual, built into the program: one French HTML page (ASCII,
// accents as character references) with an anchor per chapter.
#pragma once
#include <string>

namespace pelicard {
const std::string& HelpHtml();
}  // namespace pelicard
