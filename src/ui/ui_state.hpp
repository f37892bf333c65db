// The part of the shared state that the main window's logic owns.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pelicard {

struct UiState {
    // Outer size of the window, in twips, as last laid out.
    int Width = 0;
    int Height = 0;
    // The message whose attachments the pane lists (empty: none).
    std::string AttachmentsOf;
    // The subject or body shown was edited and not saved since.
    bool EditsUnsaved = false;
};

}  // namespace pelicard
