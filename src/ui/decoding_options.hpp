// The two text options of the "Options" menu, beside the specified ones:
// «Décodage complet des messages (normes Internet)» and «Fichiers texte en
// UTF-8», and the line above the list that points to the first when the open
// list still shows encoded words.
#pragma once
#include "common/state.hpp"

namespace pelicard {

void mnuFullDecoding_Click(State& s);
void mnuUtf8Files_Click(State& s);

// Check marks of both options, from s.content.
void ShowTextOptions(State& s);

// Shows lblDecoding when the complete decoding is off and a subject or a
// sender of the open list holds an encoded word; hides it otherwise.
void ShowDecodingHint(State& s);

}  // namespace pelicard
