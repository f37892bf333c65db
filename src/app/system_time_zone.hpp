#pragma once
#include "common/ports.hpp"
namespace pelicard {
// The offset in force at an instant, from the system's time-zone database (TZ).
class SystemTimeZone : public TimeZonePort {
public:
    std::int64_t UtcOffsetAt(std::int64_t unixSeconds) override;
};
}  // namespace pelicard
