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
    "  pelicard-extract exporte SOURCE --mbox|--maildir [--ids 1,4,7-9] [--stockage DOSSIER]\n"
    "      Écrit les messages choisis, dans l'ordre de la liste, en une boîte aux lettres\n"
    "      nommée d'après le dossier (« Dossier.mbox », ou « Dossier.maildir » avec cur/,\n"
    "      new/ et tmp/) que Thunderbird, KMail, Evolution, mutt ou Apple Mail importent ;\n"
    "      état de sortie 3 quand des messages ont été laissés de côté ou coupés.\n"
    "  pelicard-extract dossiers MAGASIN [--json]\n"
    "      Liste les dossiers d'un magasin complet dans l'ordre de l'arbre : chemin des noms,\n"
    "      fichier ou dossier source, nombre de messages (et la raison d'un dossier indisponible).\n"
    "  --decodage-complet (liste, affiche, exporte)\n"
    "      Lit les messages selon les normes Internet : mots encodés des objets et des\n"
    "      émetteurs, encodages de transfert, jeux de caractères déclarés.\n"
    "  --fichiers-utf8 (exporte)\n"
    "      Écrit les fichiers texte en UTF-8 au lieu de Windows-1252.\n"
    "\n"
    "Avec --recuperer, un fichier .dbx est aussi parcouru sans se fier à son en-tête ni\n"
    "à son index : les messages que l'index n'atteint plus (« récupéré ») et les messages\n"
    "supprimés encore présents (« supprimé ») suivent les messages indexés, dans l'ordre\n"
    "des conversations ; les octets perdus d'un message supprimé sont marqués « […] »\n"
    "à l'affichage et omis des copies brutes.\n"
    "\n"
    "MAGASIN est un dossier de stockage d'Outlook Express (Folders.dbx et un .dbx par dossier)\n"
    "ou une arborescence de Windows Mail / Windows Live Mail (un dossier par dossier de messages).\n"
    "  liste, affiche et exporte acceptent --dossier CHEMIN (par exemple \"Dossiers locaux/Clients\")\n"
    "      pour travailler sur un dossier du magasin MAGASIN donné comme SOURCE.\n"
    "  exporte MAGASIN --texte|--brut [--magasin], sans --ids ni --dossier, enregistre tout le\n"
    "      magasin (--magasin : aussi pour un dossier de Windows Mail qui contient lui-même des\n"
    "      messages, dont seuls les messages sont sinon enregistrés) : chaque\n"
    "      dossier dans un sous-dossier du dossier de stockage qui reproduit l'arbre ; la progression\n"
    "      et un bilan (dossiers, messages enregistrés, messages non enregistrés et pourquoi)\n"
    "      s'affichent sur la sortie d'erreur.\n"
    "  exporte MAGASIN --mbox|--maildir, sans --ids ni --dossier, écrit une boîte aux lettres\n"
    "      par dossier dans « MAGASIN.magasin-mbox » (ou « .magasin-maildir ») : « Dossier.mbox »\n"
    "      et ses sous-dossiers dans « Dossier.sbd/ », comme Thunderbird les importe (Maildir :\n"
    "      « Dossier.maildir » et « Dossier.sbd/Sous-dossier.maildir ») ; un export arrêté garde\n"
    "      ce qui est écrit sous le suffixe « .incomplet ».\n"
    "\n"
    "SOURCE est un fichier .dbx, un fichier .eml/.nws (son dossier est lu) ou un dossier.\n"
    "Les messages d'erreur s'affichent sur la sortie d'erreur ; état de sortie : 0 réussite,\n"
    "1 fichier refusé ou échec, 2 erreur d'utilisation, 3 résultat partiel : exporte a laissé\n"
    "de côté ou tronqué des messages (chacun est nommé : ID, objet, raison, puis leur nombre),\n"
    "l'index du fichier n'a pas pu être lu en entier ou le magasin n'a été enregistré qu'en partie.\n";

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
        if (cmd == "dossiers") return pelicard::cli::CmdDossiers(args);
    } catch (const std::bad_alloc&) {
        // Running out of memory ends the command, told like any fault.
        std::cerr << "pelicard-extract : m\xC3\xA9moire insuffisante\n";
        return 1;
    } catch (const pelicard::ProgramEnding&) {
        return 1;
    }
    return pelicard::cli::UsageError("commande inconnue : " + cmd);
}
