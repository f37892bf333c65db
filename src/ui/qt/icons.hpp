// The pictures of the window's buttons, drawn in code.
#pragma once
#include <QIcon>

namespace pelicard::qt {

enum class Picture { OpenDbx, OpenFolder, Grouping, SaveText, SaveRaw, Print, Up, Down };

// The program's own icon (the drawing of data/pelicard.svg), for the window.
QIcon ProgramIcon();

QIcon DrawPicture(Picture p);

}  // namespace pelicard::qt
