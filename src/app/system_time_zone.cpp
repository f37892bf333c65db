#include "app/system_time_zone.hpp"

#include <ctime>

namespace pelicard {

std::int64_t SystemTimeZone::UtcOffsetAt(std::int64_t unixSeconds) {
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return 0;
    return local.tm_gmtoff;
}

}  // namespace pelicard
