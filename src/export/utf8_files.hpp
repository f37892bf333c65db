// The bytes of a text file: the core's Windows-1252 text, or its UTF-8
// form when the option «Fichiers texte en UTF-8» is on.
#pragma once
#include <string>

#include "common/state.hpp"
#include "content/full_decode.hpp"

namespace pelicard {

inline std::string FileText(const State& s, const std::string& cp1252, const std::string& companion) {
    return s.content.Utf8Files ? Utf8Form(cp1252, companion) : cp1252;
}

}  // namespace pelicard
