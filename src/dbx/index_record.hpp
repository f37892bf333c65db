// Message index records: the attribute table and data area of one record,
// and the access to its attribute values.
#pragma once
#include <cstdint>
#include <string>

#include "common/state.hpp"

namespace pelicard {

// Reads the record of table entry i (record offset > 0). A record whose
// marker differs from its offset is left unread (no attributes). Read
// failures and L < 4·n throw Fault; a length of 2^31 or more ends the program.
void ReadIndexRecord(State& s, std::int32_t i);
// The 3 number bytes of the j-th entry (1-based) of record i's attribute table.
std::string ParamDCarValue(State& s, std::int32_t i, std::int32_t j);
// length bytes of record i's data area from the value start of identifier d
// (fewer when the data area ends first; none when the start lies beyond it).
std::string ParamICarValue(State& s, std::int32_t i, std::int32_t d, std::int64_t length);
// Length of the value of identifier d: end − start + 1, at least 1.
std::int64_t Greater(State& s, std::int32_t i, std::int32_t d);
// Stored-text position of record i: the last 0x04 (4-byte number at the start
// of its value) or 0x84 (the entry's own number) in table order; 0 when none.
std::int32_t FindTextOffset(State& s, std::int32_t i);

}  // namespace pelicard
