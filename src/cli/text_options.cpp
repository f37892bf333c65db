#include "cli/text_options.hpp"

#include <algorithm>

#include "content/full_decode.hpp"

namespace pelicard::cli {

TextOptions TakeTextOptions(std::vector<std::string>& args, bool withFiles) {
    TextOptions o;
    std::erase_if(args, [&](const std::string& a) {
        if (a == "--decodage-complet") return o.fullDecoding = true;
        if (withFiles && a == "--fichiers-utf8") return o.utf8Files = true;
        return false;
    });
    return o;
}

std::string Utf8Of(const std::string& cp1252, const std::string& companion) { return Utf8Form(cp1252, companion); }

}  // namespace pelicard::cli
