#include "ui/list_split.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/extra_settings.hpp"
#include "ui/layout.hpp"

namespace pelicard {
namespace {

// A kept size larger than this is no window size.
constexpr int kLargestKept = 1000000;

void Place(WindowPort& w, std::string_view name, int dTop, int dWidth, int dHeight) {
    if (const ControlPlace* p = FindStartPlace(name))
        w.Move(name, p->left, p->top + dTop, p->width + dWidth, p->height + dHeight);
}

}  // namespace

int ListShare(const ExtraSettings& x) { return ExtraNumber(x, kListShareKey, kListShareDefault, 0, kListShareMax); }

int ListExtraHeight(int extra, int share) {
    if (extra <= 0) return 0;
    share = std::clamp(share, 0, kListShareMax);
    return static_cast<int>(std::lround(static_cast<double>(extra) * share / kListShareMax));
}

void PlaceListAndBody(State& s, int dw, int dh) {
    dw = std::max(dw, 0), dh = std::max(dh, 0);
    const int list = ListExtraHeight(dh, ListShare(s.app.extra));
    WindowPort& w = *s.window;
    Place(w, "lvwMessages", 0, dw, list);
    Place(w, "splMessages", list, dw, 0);
    for (const char* label : {"lblTxt", "lblGrouping", "lblSelection"}) Place(w, label, list, 0, 0);
    Place(w, "txtSubject", list, dw, 0);
    Place(w, "txtBody", list, dw, dh - list);
    w.SetEnabled("splMessages", dh > 0);
}

void splMessages_Drag(State& s, int listHeight) {
    const int dw = std::max(s.ui.Width, kMinWindowWidth) - kMinWindowWidth;
    const int dh = std::max(s.ui.Height, kMinWindowHeight) - kMinWindowHeight;
    const ControlPlace* start = FindStartPlace("lvwMessages");
    if (dh <= 0 || !start) return;
    const int extra = std::clamp(listHeight - start->height, 0, dh);
    const long share = std::lround(static_cast<double>(extra) * kListShareMax / dh);
    SetExtraValue(s.app.extra, kListShareKey, std::to_string(share));
    PlaceListAndBody(s, dw, dh);
}

WindowSize RememberedWindowSize(const ExtraSettings& x, int availWidth, int availHeight) {
    const int width = ExtraNumber(x, kWindowWidthKey, kMinWindowWidth, kMinWindowWidth, kLargestKept);
    const int height = ExtraNumber(x, kWindowHeightKey, kMinWindowHeight, kMinWindowHeight, kLargestKept);
    return {std::clamp(width, kMinWindowWidth, std::max(availWidth, kMinWindowWidth)),
            std::clamp(height, kMinWindowHeight, std::max(availHeight, kMinWindowHeight))};
}

void RememberWindowSize(ExtraSettings& x, int width, int height) {
    SetExtraValue(x, kWindowWidthKey, std::to_string(std::clamp(width, kMinWindowWidth, kLargestKept)));
    SetExtraValue(x, kWindowHeightKey, std::to_string(std::clamp(height, kMinWindowHeight, kLargestKept)));
}

}  // namespace pelicard
