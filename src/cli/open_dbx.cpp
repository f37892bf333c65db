#include "cli/open_store.hpp"
namespace pelicard::cli {
int OpenDbxStore(Session&, const std::string&, std::string&) { return 1; }
}  // namespace pelicard::cli
