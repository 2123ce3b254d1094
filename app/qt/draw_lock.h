// The toolkit's drawing lock (app/ui/text_panel.h) and the pointer state it guards.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <mutex>

#include "app/ui/text_panel.h"

namespace Draw {

inline std::recursive_mutex& Lock() { return Draw_Lock(); }

// Last pointer position in screen coordinates and the window it was over.
// Written and read on the GUI thread under Lock().
void Pointer_Set(QWidget* window, QPoint screen_position);
QPoint Pointer_Screen();
QWidget* Pointer_Window();
// The pointer position in the coordinates of the window it was last recorded for.
QPoint Pointer_Local();

}  // namespace Draw
