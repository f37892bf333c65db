// pelicard-extract: the batch tool over the same core as the window.
#include <csignal>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/commands.hpp"
#include "common/fault.hpp"

namespace {

const char* const kHelp =
    "pelicard-extract — extraction des messages d'Outlook Express (.dbx) et de Windows Mail (.eml/.nws)\n"
    "\n"
    "Utilisation :\n"
    "  pelicard-extract liste SOURCE [--json] [--recuperer]\n"
    "      Liste les messages de SOURCE dans l'ordre des conversations : ID, objet,\n"
    "      émetteur, date, clé de date, clé de conversation (séparés par des tabulations).\n"
    "  pelicard-extract affiche SOURCE ID [--brut] [--recuperer]\n"
    "      Affiche le message ID tel que l'enregistrement texte l'écrirait ;\n"
    "      avec --brut, le texte du message tel qu'il est stocké.\n"
    "  pelicard-extract exporte SOURCE --texte|--brut|--complet|--pieces-jointes|--pdf FICHIER.pdf\n"
    "                   [--par-conversation|--par-selection] [--ids 1,4,7-9] [--stockage DOSSIER]\n"
    "                   [--recuperer]\n"
    "      Enregistre les messages choisis (tous par défaut) en fichiers texte, en copies\n"
    "      brutes (.eml/.nws) ou les imprime dans un fichier PDF ; --complet écrit les copies\n"
    "      complètes, pièces jointes comprises, nommées comme les copies brutes.\n"
    "      --pieces-jointes enregistre les pièces jointes, un dossier par message.\n"
    "\n"
    "Avec --recuperer, un fichier .dbx est aussi parcouru sans se fier à son en-tête ni\n"
    "à son index : les messages que l'index n'atteint plus (« récupéré ») et les messages\n"
    "supprimés encore présents (« supprimé ») suivent les messages indexés, dans l'ordre\n"
    "des conversations ; les octets perdus d'un message supprimé sont marqués « […] »\n"
    "à l'affichage et omis des copies brutes.\n"
    "\n"
    "SOURCE est un fichier .dbx, un fichier .eml/.nws (son dossier est lu) ou un dossier.\n"
    "Les messages d'erreur s'affichent sur la sortie d'erreur ; état de sortie : 0 réussite,\n"
    "1 fichier refusé ou échec, 2 erreur d'utilisation, 3 résultat partiel : exporte a laissé\n"
    "de côté ou tronqué des messages (chacun est nommé : ID, objet, raison, puis leur nombre)\n"
    "ou l'index du fichier n'a pas pu être lu en entier.\n";

}  // namespace

namespace pelicard::cli {

int UsageError(const std::string& what) {
    std::cerr << "pelicard-extract : " << what << "\n"
              << "Essayez « pelicard-extract --help ».\n";
    return 2;
}

}  // namespace pelicard::cli

int main(int argc, char** argv) {
    // A file size limit makes a write fail (and be told) instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return pelicard::cli::UsageError("commande manquante");
    const std::string cmd = args.front();
    args.erase(args.begin());
    if (cmd == "--help" || cmd == "-h" || cmd == "aide") {
        std::cout << kHelp;
        return 0;
    }
    try {
        if (cmd == "liste") return pelicard::cli::CmdListe(args);
        if (cmd == "affiche") return pelicard::cli::CmdAffiche(args);
        if (cmd == "exporte") return pelicard::cli::CmdExporte(args);
    } catch (const std::bad_alloc&) {
        // Running out of memory ends the command, told like any fault.
        std::cerr << "pelicard-extract : m\xC3\xA9moire insuffisante\n";
        return 1;
    } catch (const pelicard::ProgramEnding&) {
        return 1;
    }
    return pelicard::cli::UsageError("commande inconnue : " + cmd);
}
