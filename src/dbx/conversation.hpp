// Conversation keys of the Outlook Express list and its order.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "common/state.hpp"

namespace pelicard {

// Trimmed, cut to 50 characters, "<" and ">" turned into "_";
// "(Objet non précisé) " for an empty subject.
std::string StandardSubject(std::string subject);
// The empty-subject result of StandardSubject.
const std::string& EmptyConversationSubject();

// Phase 3 of the list build: seeds the reference chains and parent keys of
// entries 1 … Count from the conversation subjects, OwnIds and references.
void SeedConversations(State& s);
// Phase 4: propagates the topmost ancestor's subject along the reply chains
// and leaves the conversation key in every entry's ThreadKey.
void PropagateConversations(State& s);

// Sorts entries lo … hi of the Outlook Express list by ThreadKey, ignoring
// letter case, in French order; equal keys keep their order.
void SortOEByID(State& s, std::int32_t lo, std::int32_t hi);

}  // namespace pelicard
