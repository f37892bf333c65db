// Run-time faults: what the program reports in a box titled with the
// procedure that met it, in the words of a French run-time error.
#pragma once
#include <stdexcept>
#include <string>

namespace pelicard {

struct Fault : std::runtime_error {
    explicit Fault(const std::string& description) : std::runtime_error(description) {}
    std::string Description() const { return what(); }
};

// The descriptions used across the program.
namespace faults {
// Windows-1252, like every core text.
inline const char* const kReadPastEnd = "Lecture au-del\xE0 de la fin du fichier";
inline const char* const kOverflow = "D\xE9passement de capacit\xE9";
inline const char* const kTypeMismatch = "Incompatibilit\xE9 de type";
inline const char* const kSubscript = "L'indice n'appartient pas \xE0 la s\xE9lection";
inline const char* const kFileNotFound = "Fichier introuvable";
inline const char* const kPathAccess = "Erreur d'acc\xE8s au chemin/fichier";
inline const char* const kOutOfMemory = "M\xE9moire insuffisante";
inline const char* const kBadCall = "Argument ou appel de proc\xE9" "dure incorrect";
inline const char* const kBadFileName = "Nom ou num\xE9ro de fichier incorrect";
inline const char* const kPermission = "Permission refus\xE9" "e";
inline const char* const kDiskFull = "Disque plein";
}  // namespace faults

// Thrown after QuitProgram, once the fatal box has been shown: unwinds the
// command in progress up to the event loop (or the batch tool's main), which
// then ends the program. Never shown to the user.
struct ProgramEnding {};

}  // namespace pelicard
