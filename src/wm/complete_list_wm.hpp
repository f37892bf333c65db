// The Windows Mail list build: conversation keys, order, list view rows.
#pragma once
#include <cstdint>

#include "common/state.hpp"

namespace pelicard {

// Gives entries 1..WmFileCount their conversation keys, sorts them and
// fills the list view; list count = WmFileCount.
void CompleteListWM(State& s);

// Replaces the "Message-ID:" kept in ThreadKey of entries 1..n by the
// conversation key: the bracketed subject of the topmost ancestor found
// among them. A reference cycle is cut at its lowest entry, whose own
// subject then heads the conversation.
void ThreadKeysWM(State& s, std::int32_t n);

// Sorts entries first..last by ThreadKey, ignoring case, in French order.
void SortWMByID(State& s, std::int32_t first, std::int32_t last);

}  // namespace pelicard
