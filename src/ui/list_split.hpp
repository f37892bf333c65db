// The list and the message below it share the height the window has beyond
// its smallest size. The handle between them (splMessages, the band from the
// list's bottom to the subject editor, under its labels) sets the list's part
// of that extra height; at the smallest size every control keeps its start
// place and the handle is off. The part and the window's size are kept in
// "Pelicard-plus.ini" (see app/extra_settings.hpp): the part as soon as the
// handle moves it, the size at the exit.
#pragma once
#include "common/state.hpp"

namespace pelicard {

// The list's part of the extra height, in ten-thousandths (fine enough that a
// drag lands on the twip); both keep at least their start height (the list
// 2190 twips, the body 2550).
inline constexpr int kListShareDefault = 5000;
inline constexpr int kListShareMax = 10000;
inline constexpr const char* kListShareKey = "fenetre_part_liste";
inline constexpr const char* kWindowWidthKey = "fenetre_largeur";
inline constexpr const char* kWindowHeightKey = "fenetre_hauteur";

// The part in force: the kept one, or the default when missing or out of range.
int ListShare(const ExtraSettings& x);
// The list's part, in twips, of `extra` twips of height (none below the start size).
int ListExtraHeight(int extra, int share);

// Places the list, the labels under it, both editors and the handle for a
// window dw twips wider and dh twips taller than its smallest size.
void PlaceListAndBody(State& s, int dw, int dh);

// The handle dragged: the list as close to `listHeight` twips as the window
// allows. Nothing happens at the smallest height.
void splMessages_Drag(State& s, int listHeight);

struct WindowSize {
    int width = 0, height = 0;  // outer size in twips
};
// The kept size, within the starting size and the space the screen offers
// (availWidth x availHeight, outer twips); a size not kept, unreadable or
// below the start gives the start size.
WindowSize RememberedWindowSize(const ExtraSettings& x, int availWidth, int availHeight);
// Keeps the window's outer size (twips) for the next run.
void RememberWindowSize(ExtraSettings& x, int width, int height);

}  // namespace pelicard
