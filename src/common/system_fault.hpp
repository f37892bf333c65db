// Faults that come from the system: what was tried, on which file, and the
// system's reason in French.
#pragma once
#include <string>
#include <string_view>

#include "common/fault.hpp"

namespace pelicard {

// The system's reason for `err`, in French (UTF-8).
std::string SystemReason(int err);
// Fault "<whatUtf8> <pathUtf8>\r\n<reason>", converted to Windows-1252.
Fault SystemFault(std::string_view whatUtf8, const std::string& pathUtf8, int err);
// The same with a reason of one's own (UTF-8).
Fault NamedFault(std::string_view whatUtf8, const std::string& pathUtf8, std::string_view reasonUtf8);

// errno values of our own for what the system reports as success.
inline constexpr int kNotRegularFile = -1;  // a FIFO, a device, a folder …
inline constexpr int kEmptyFile = -2;

}  // namespace pelicard
