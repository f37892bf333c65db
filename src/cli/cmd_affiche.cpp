#include "cli/commands.hpp"

namespace pelicard::cli {

int CmdAffiche(const std::vector<std::string>&) { return UsageError("commande « affiche » pas encore disponible"); }

}  // namespace pelicard::cli
