// The text panel on Qt: the shared panel (app/ui/text_panel.h) drawn with QPainter. Colours
// come from a palette readable on the panel's background; a line wider than the panel is
// shortened in the middle of its path.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

#include "app/ui/text_panel.h"

class Text : public Text_Panel {
public:
    // Paints the panel into its rectangle.
    static void Draw(Text& panel, QPainter& painter);
    // Measures the fonts for the size and places the panel.
    static void Layout(Text& panel, QRect area, QColor background, int font_size = Default_Font_Size);
    // 0 = moving or released, 1 = dragging with the left button, 2 = left button pressed;
    // the position is the toolkit's shared pointer position.
    static void Pointer(Text& panel, int state);
    static QRect Area(const Text& panel);
};
