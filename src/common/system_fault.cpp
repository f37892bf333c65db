#include "common/system_fault.hpp"

#include <cerrno>
#include <cstring>

#include "common/text.hpp"

namespace pelicard {

std::string SystemReason(int err) {
    switch (err) {
        case EACCES:
        case EPERM: return "Permission refusée";
        case ENOSPC: return "Disque plein";
        case EDQUOT: return "Quota de disque dépassé";
        case EFBIG: return "Fichier trop volumineux pour ce système";
        case EROFS: return "Système de fichiers en lecture seule";
        case ENOENT: return "Chemin d'accès introuvable";
        case ENOTDIR: return "Un élément du chemin n'est pas un dossier";
        case ENAMETOOLONG: return "Nom de fichier trop long";
        case ELOOP: return "Lien symbolique refusé ou boucle de liens symboliques";
        case EIO: return "Erreur d'entrée/sortie";
        case EMFILE:
        case ENFILE: return "Trop de fichiers ouverts";
        case EISDIR: return "Un dossier porte ce nom";
        case EEXIST: return "Un fichier porte déjà ce nom";
        case ENXIO: return "Ce n'est pas un fichier ordinaire";
        case ENOMEM: return "Mémoire insuffisante";
        case kNotRegularFile: return "Ce n'est pas un fichier ordinaire";
        case kEmptyFile: return "Le fichier est vide";
        default: return "Erreur système " + ToDecimal(err) + " (" + std::strerror(err) + ")";
    }
}

Fault SystemFault(std::string_view whatUtf8, const std::string& pathUtf8, int err) {
    return NamedFault(whatUtf8, pathUtf8, SystemReason(err));
}

Fault NamedFault(std::string_view what, const std::string& path, std::string_view reason) {
    return Fault(Utf8ToCp1252(std::string(what) + " " + path) + "\r\n" + Utf8ToCp1252(std::string(reason)));
}

}  // namespace pelicard
