// The commands of a whole store in the window: opening a store folder
// ("Magasin complet…"), opening one of its folders from the folder pane,
// saving the whole store, and closing the store when a single file is opened.
#pragma once
#include <cstdint>

#include "common/state.hpp"

namespace pelicard {

// Asks for a store folder and shows its tree in the folder pane.
void mnuFileStore_Click(State& s);
// Opens the folder of pane row `row` through the road of the open commands.
void tvwFolders_Click(State& s, std::int32_t row);
// Saves every message of every folder under the storage folder, as text
// files or raw copies, in sub-folders that mirror the tree.
void mnuSaveStore_Click(State& s, bool raw);
// After a whole-store command: the view back on folder `shown` (or on the
// store's label when none was open).
void ShowStoreFolderAgain(State& s, std::int32_t shown);
// Hides the pane and forgets the store (a single file is being opened).
void CloseStore(State& s);
// Fills the pane from s.store (shown when it holds folders).
void ShowStorePane(State& s);

}  // namespace pelicard
