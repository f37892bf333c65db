#include "ui/layout.hpp"

namespace pelicard {
namespace {

// Client area at the smallest size: 10935 x 7350 twips; the status bar
// takes its last 330. The rows marked "follows" are those the resize
// rules move; from the list to the body, the rows also follow the height
// the list and the body share (ui/list_split.hpp).
constexpr ControlPlace kPlaces[] = {
    {"fraOpen", "", 120, 60, 2480, 1020},
    {"cmdOpen(0)", "fraOpen", 90, 240, 1130, 690},
    {"cmdOpen(1)", "fraOpen", 1260, 240, 1130, 690},
    {"fraGrouping", "", 2700, 60, 1525, 1020},
    {"cmdGrouping", "fraGrouping", 90, 240, 1345, 690},
    {"fraAllRecord", "", 4325, 60, 2500, 1020},  // follows the right edge
    {"cmdAllTxt", "fraAllRecord", 90, 240, 1130, 690},
    {"cmdAllNws", "fraAllRecord", 1280, 240, 1130, 690},
    {"fraModRecord", "", 6925, 60, 2500, 1020},  // follows the right edge
    {"cmdModTxt", "fraModRecord", 90, 240, 1130, 690},
    {"cmdModNws", "fraModRecord", 1280, 240, 1130, 690},
    {"fraPrinting", "", 9525, 60, 1300, 1020},  // follows the right edge
    {"cmdPrint", "fraPrinting", 90, 240, 1120, 690},
    {"lblLvw", "", 120, 1170, 9700, 255},
    {"cmdDown", "", 9970, 1110, 420, 330},  // follows the right edge
    {"cmdUp", "", 10455, 1110, 420, 330},   // follows the right edge
    {"lvwMessages", "", 120, 1470, 10685, 2190},  // width follows
    // The handle between the list and the message: the band from the list's
    // bottom to the subject editor, under the labels of that band.
    {"splMessages", "", 120, 3660, 10685, 435},
    {"lblTxt", "", 120, 3810, 5000, 255},
    {"lblGrouping", "", 5250, 3690, 5555, 390},
    {"lblSelection", "", 5250, 3690, 5555, 390},
    {"txtSubject", "", 120, 4095, 10685, 315},    // width follows
    {"txtBody", "", 120, 4440, 10685, 2550},      // width and height follow
    {"Bar", "", 7660, 7030, 3180, 300},           // follows both edges
    {"txtEnd", "", 7660, 7030, 3180, 300},        // follows both edges
};

}  // namespace

std::span<const ControlPlace> StartLayout() { return kPlaces; }

const ControlPlace* FindStartPlace(std::string_view name) {
    for (const auto& p : kPlaces)
        if (p.name == name) return &p;
    return nullptr;
}

}  // namespace pelicard
