#include "cli/open_store.hpp"

#include <filesystem>

#include "common/text.hpp"

namespace pelicard::cli {

int OpenStore(Session& session, const std::string& source, std::string& label) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(source, ec)) return OpenWmStore(session, source, label);
    std::string lower = FoldCase(source);
    if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".dbx") == 0)
        return OpenDbxStore(session, source, label);
    return OpenWmStore(session, source, label);
}

}  // namespace pelicard::cli
