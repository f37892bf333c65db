#include "content/gmime_init.hpp"

#include <gmime/gmime.h>

#include <mutex>

namespace pelicard {

void EnsureGMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

}  // namespace pelicard
