#include "app/qt/box.h"

#include <mutex>

#include "app/qt/draw_lock.h"
#include "app/qt/font.h"

namespace {

// Two-tone frame: sunken has the dark edge at the top left, raised at the bottom right.
void draw_frame(QPainter& painter, QRect rect, QColor face, bool sunken) {
    const QColor dark = face.darker(160);
    const QColor light = face.lighter(140);
    const QColor top_left = sunken ? dark : light;
    const QColor bottom_right = sunken ? light : dark;
    const QRect r = rect.adjusted(0, 0, -1, -1);
    painter.setPen(top_left);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottom_right);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace

void Box::draw(QPainter& painter) const {
    std::lock_guard guard(Draw::Lock());
    painter.save();
    painter.fillRect(rect, background);
    draw_frame(painter, rect, background, true);
    if (!label.isEmpty()) {
        painter.setFont(Toolkit_Font(font_size, style));
        painter.setPen(Qt::black);
        painter.drawText(inside(), Qt::AlignCenter, label);
    }
    painter.restore();
}

void Button::draw(QPainter& painter) const {
    std::lock_guard guard(Draw::Lock());
    painter.save();
    const QColor face = pressed_ ? QColor(180, 178, 170) : hovered_ ? QColor(232, 230, 222) : QColor(212, 208, 200);
    painter.fillRect(rect, face);
    draw_frame(painter, rect, face, pressed_);
    painter.setFont(Toolkit_Font(14, Font_Style::Bold));
    painter.setPen(Qt::black);
    painter.drawText(rect.translated(pressed_ ? 1 : 0, pressed_ ? 1 : 0), Qt::AlignCenter, label);
    if (focused) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(rect.adjusted(3, 3, -4, -4));
    }
    painter.restore();
}

bool Button::hit() const { return rect.contains(Draw::Pointer_Local()); }

bool Button::hover(int state) {
    const bool over = hit();
    const bool pressed = over && state != 0;
    const bool changed = over != hovered_ || pressed != pressed_;
    hovered_ = over;
    pressed_ = pressed;
    return changed;
}
