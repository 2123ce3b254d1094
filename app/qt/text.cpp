#include "app/qt/text.h"

#include <QFontMetrics>
#include <array>
#include <optional>

#include "app/qt/draw_lock.h"
#include "app/qt/font.h"
#include "app/qt/markup.h"
#include "app/ui/line_layout.h"

namespace {

void draw_line(QPainter& painter, const std::vector<Placed_Run>& runs, int baseline, int font_size,
               const Markup_Palette& palette) {
    for (const Placed_Run& run : runs) {
        const QFont font = Toolkit_Font(font_size, run.style);
        const QFontMetrics metrics(font);
        const Run_Colours& colours = palette.colours(run.colour);
        if (colours.backing)
            painter.fillRect(QRect(run.x - 1, baseline - metrics.ascent(), run.end - run.x + 2, metrics.height()),
                             Qt_Colour(*colours.backing));
        painter.setFont(font);
        painter.setPen(Qt_Colour(colours.text));
        for (const Placed_Run::Piece& piece : run.pieces) painter.drawText(piece.x, baseline, Qt_Text(piece.text));
    }
}

}  // namespace

void Text::Layout(Text& panel, QRect area, QColor background, int font_size) {
    Geometry geometry;
    geometry.area = {area.x(), area.y(), area.width(), area.height()};
    geometry.background = Rgb_Of(background);
    geometry.font_size = font_size;
    geometry.line_height = QFontMetrics(Toolkit_Font(font_size, Font_Style::Bold)).lineSpacing();
    geometry.tab_width = Tab_Average_Chars * QFontMetrics(Toolkit_Font(font_size)).averageCharWidth();
    Set_Geometry(panel, geometry);
}

void Text::Draw(Text& panel, QPainter& painter) {
    const std::optional<View> view = Take_View(panel);
    if (!view) return;
    const Geometry& g = view->geometry;
    const QRect area = Qt_Rect(g.area);
    const QColor background = Qt_Colour(g.background);
    painter.save();
    painter.fillRect(area, background);
    painter.setPen(background.darker(150));
    painter.drawRect(area.adjusted(0, 0, -1, -1));

    painter.setClipRect(QRect(QPoint(area.left() + 1, area.top() + 1), QPoint(view->text_right, area.bottom() - 1)));
    const int ascent = QFontMetrics(Toolkit_Font(g.font_size, Font_Style::Bold)).ascent();
    // One set of metrics per style for the whole paint: a line being shortened is measured
    // many times.
    std::array<std::optional<QFontMetrics>, 3> metrics;
    const auto measure = [&metrics, font_size = g.font_size](std::u16string_view text, Font_Style style) {
        std::optional<QFontMetrics>& of_style = metrics[static_cast<std::size_t>(style)];
        if (!of_style) of_style.emplace(Toolkit_Font(font_size, style));
        return of_style->horizontalAdvance(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    };
    Line_Layouts& layouts = Layouts(panel);
    int top = area.top() + Padding;
    for (const std::string& line : view->lines) {
        const std::vector<Placed_Run>& runs =
            layouts.lay_out(line, view->text_left, view->text_right, g.tab_width, g.font_size, measure);
        draw_line(painter, runs, top + ascent, g.font_size, *view->palette);
        top += g.line_height;
    }
    layouts.end_paint();

    painter.setClipping(false);
    if (!view->track.empty()) {
        painter.fillRect(Qt_Rect(view->track), background.lighter(115));
        painter.fillRect(Qt_Rect(view->thumb), background.darker(view->dragging ? 170 : 130));
    }
    painter.restore();
}

void Text::Pointer(Text& panel, int state) {
    const QPoint at = Draw::Pointer_Local();
    Pointer_At(panel, state, at.x(), at.y());
}

QRect Text::Area(const Text& panel) { return Qt_Rect(Area_Rect(panel)); }
