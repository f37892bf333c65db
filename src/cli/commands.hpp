// The commands of pelicard-extract. Each returns the process exit status:
// 0 done, 1 refused or failed, 2 usage error.
#pragma once
#include <string>
#include <vector>

namespace pelicard::cli {

int CmdListe(const std::vector<std::string>& args);
int CmdAffiche(const std::vector<std::string>& args);
int CmdExporte(const std::vector<std::string>& args);
int CmdDossiers(const std::vector<std::string>& args);

// Prints a usage error in French and returns 2.
int UsageError(const std::string& what);

}  // namespace pelicard::cli
