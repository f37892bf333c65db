// The reading options that liste, affiche and exporte share:
// --decodage-complet (messages decoded by the Internet mail standards) and,
// for exporte, --fichiers-utf8 (text files in UTF-8).
#pragma once
#include <string>
#include <vector>

#include "common/state.hpp"

namespace pelicard::cli {

struct TextOptions {
    bool fullDecoding = false;
    bool utf8Files = false;
    void ApplyTo(State& s) const {
        s.content.FullDecoding = fullDecoding;
        s.content.Utf8Files = utf8Files;
    }
};

// Takes the shared options out of `args` (the rest keeps its order).
// `withFiles`: whether --fichiers-utf8 is one of them.
TextOptions TakeTextOptions(std::vector<std::string>& args, bool withFiles);

// The UTF-8 form of a core text with its companion (see Utf8Form).
std::string Utf8Of(const std::string& cp1252, const std::string& companion);

}  // namespace pelicard::cli
