// pelicard-extract dossiers STORE [--json]: the folders of a whole store in
// tree order: path of names, the file or directory it comes from, its
// message count (and, for a folder that cannot be read, why).
#include <cstdio>
#include <iostream>

#include "cli/commands.hpp"
#include "cli/open_store.hpp"
#include "common/text.hpp"

namespace pelicard::cli {
namespace {

std::string Json(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A field of a tab-separated line: tabs and line breaks become spaces.
std::string Field(const std::string& utf8) {
    std::string out = utf8;
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

int CmdDossiers(const std::vector<std::string>& args) {
    std::string source;
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a == "--help" || a == "-h") {
            std::cout << "Utilisation : pelicard-extract dossiers MAGASIN [--json]\n"
                         "  Liste les dossiers d'un magasin complet (dossier d'Outlook Express avec\n"
                         "  Folders.dbx, ou arborescence de Windows Mail) dans l'ordre de l'arbre, une\n"
                         "  ligne par dossier : chemin, fichier ou dossier source, nombre de messages,\n"
                         "  s\xC3\xA9par\xC3\xA9s par des tabulations, et la raison pour un dossier indisponible.\n"
                         "  Avec --json, un tableau d'objets (chemin, source, messages, et raison\n"
                         "  pour un dossier indisponible).\n";
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("option inconnue : " + a);
        } else if (source.empty()) {
            source = a;
        } else {
            return UsageError("argument en trop : " + a);
        }
    }
    if (source.empty()) return UsageError("MAGASIN manquant");
    StoreTree t;
    if (int rc = ReadStoreOf(source, t); rc != 0) return rc;

    std::string out = json ? "[" : "";
    for (std::size_t i = 0; i < t.Folders.size(); ++i) {
        const StoreFolder& f = t.Folders[i];
        const std::string path = Cp1252ToUtf8(f.PathOfNames);
        if (json) {
            out += i == 0 ? "\n  " : ",\n  ";
            out += "{\"chemin\": " + Json(path) + ", \"source\": " + Json(f.Source) +
                   ", \"messages\": " + std::to_string(f.Count);
            if (!f.Available) out += ", \"raison\": " + Json(Cp1252ToUtf8(f.Reason));
            out += "}";
        } else {
            out += Field(path) + '\t' + Field(f.Source) + '\t' + std::to_string(f.Count);
            if (!f.Available) out += "\tindisponible : " + Field(Cp1252ToUtf8(f.Reason));
            out += '\n';
        }
    }
    if (json) out += t.Folders.empty() ? "]\n" : "\n]\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::cerr << t.Folders.size() << " dossier(s)\n";
    return 0;
}

}  // namespace pelicard::cli
