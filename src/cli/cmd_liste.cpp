#include "cli/commands.hpp"

namespace pelicard::cli {

int CmdListe(const std::vector<std::string>&) { return UsageError("commande « liste » pas encore disponible"); }

}  // namespace pelicard::cli
