// Where the controls of the main window sit, in twips. The start layout is
// drawn for the smallest window (11055 x 8100 twips, outer size); positions
// are relative to the control's container (the client area, or the frame
// that holds the control). The window layer creates its widgets from this
// table, and the resize rules move some of them.
#pragma once
#include <span>
#include <string_view>

namespace pelicard {

inline constexpr int kMinWindowWidth = 11055;
inline constexpr int kMinWindowHeight = 8100;
// Start widths of the status-bar panels and of the list view's columns.
inline constexpr int kPanelWidths[6] = {1800, 3010, 1875, 600, 200, 3300};
inline constexpr int kColumnWidths[5] = {6510, 2000, 1800, 0, 0};
// Height of the status bar, docked at the bottom of the client area.
inline constexpr int kStatusBarHeight = 330;

struct ControlPlace {
    std::string_view name;
    std::string_view container;  // empty: the client area
    int left, top, width, height;
};

// The start places of every positioned control.
std::span<const ControlPlace> StartLayout();
// The start place of one control, or nullptr.
const ControlPlace* FindStartPlace(std::string_view name);

}  // namespace pelicard
