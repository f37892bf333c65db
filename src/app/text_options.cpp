#include "app/text_options.hpp"

#include "app/extra_settings.hpp"

namespace pelicard {
namespace {

constexpr const char* kFullDecodingKey = "decodage_complet";
constexpr const char* kUtf8FilesKey = "fichiers_texte_utf8";

}  // namespace

void ReadTextOptions(State& s) {
    s.content.FullDecoding = ExtraValue(s.app.extra, kFullDecodingKey).value_or("0") == "1";
    s.content.Utf8Files = ExtraValue(s.app.extra, kUtf8FilesKey).value_or("0") == "1";
}

void WriteTextOptions(State& s) {
    SetExtraValue(s.app.extra, kFullDecodingKey, s.content.FullDecoding ? "1" : "0");
    SetExtraValue(s.app.extra, kUtf8FilesKey, s.content.Utf8Files ? "1" : "0");
    WriteExtraSettings(s);
}

}  // namespace pelicard
