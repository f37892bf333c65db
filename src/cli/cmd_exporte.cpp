#include "cli/commands.hpp"

namespace pelicard::cli {

int CmdExporte(const std::vector<std::string>&) { return UsageError("commande « exporte » pas encore disponible"); }

}  // namespace pelicard::cli
