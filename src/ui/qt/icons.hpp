// The pictures of the window's buttons, drawn in code.
#pragma once
#include <QIcon>

namespace pelicard::qt {

enum class Picture { OpenDbx, OpenFolder, Grouping, SaveText, SaveRaw, Print, Up, Down };

QIcon DrawPicture(Picture p);

}  // namespace pelicard::qt
