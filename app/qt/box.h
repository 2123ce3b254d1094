// Boxes and the push button of the toolkit. Geometry is in Qt (y-down) pixels. Drawing happens on the GUI thread under the
// drawing lock, taken by the caller or here.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QString>

#include "app/qt/markup.h"

// A sunken frame with a background and an optional centred label.
struct Box {
    QRect rect;
    QColor background = QColor(212, 208, 200);
    QString label;
    int font_size = 13;
    Font_Style style = Font_Style::Bold;

    void draw(QPainter& painter) const;
    // The area inside the frame.
    QRect inside() const { return rect.adjusted(2, 2, -2, -2); }
};

class Button {
public:
    QRect rect;
    QString label;
    bool focused = false;  // draws the focus mark: the key that presses it goes here

    void draw(QPainter& painter) const;
    // Follows the shared pointer: hover when it is over the button; state 2 (pressed) or
    // 1 (dragging) over the button shows it pressed, 0 releases it. True when the look changed.
    bool hover(int state);
    // The shared pointer is over the button.
    bool hit() const;
    bool hovered() const { return hovered_; }
    bool pressed() const { return pressed_; }

private:
    bool hovered_ = false;
    bool pressed_ = false;
};
