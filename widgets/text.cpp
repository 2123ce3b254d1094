#include "widgets/text.h"

#include <QFontMetrics>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>

#include "widgets/draw_lock.h"
#include "widgets/font.h"
#include "app/ui/progress_text.h"
#include "widgets/markup.h"

namespace {

constexpr int Padding = 3;

// Cuts a write to Max_Write bytes without leaving half a UTF-8 sequence at its end.
std::string_view write_limit(const char* text) {
    const std::string_view view(text, ::strnlen(text, Text::Max_Write + 1));
    if (view.size() <= Text::Max_Write) return view;
    const std::size_t cut = Text::Max_Write;
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && (static_cast<unsigned char>(view[lead]) & 0xC0) == 0x80) --lead;
    const auto byte = static_cast<unsigned char>(view[lead]);
    const bool is_lead = byte >= 0xC2 && byte <= 0xF4 && !(byte >= 0xF0 && byte <= 0xF2);  // 0xF0-0xF2 are markup
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
    return view.substr(0, is_lead && lead < cut && lead + length > cut ? lead : cut);
}

// Draws a line of runs in the panel's palette; a line too long for the width is shortened in
// the middle of its path rather than cut at the edge.
void draw_line(QPainter& painter, std::string_view line, int left, int right, int baseline, int font_size,
               int tab_width, const Markup_Palette& palette) {
    std::vector<Text_Run> runs = Markup_Parse(line);
    const auto advance = [&](int x, const Text_Run& run) {
        const QFontMetrics metrics(Toolkit_Font(font_size, run.style));
        const QStringList pieces = Qt_Text(run.text).split(QLatin1Char('\t'));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0) x = left + ((x - left) / tab_width + 1) * tab_width;
            x += metrics.horizontalAdvance(pieces[i]);
        }
        return x;
    };
    int end = left;
    for (const Text_Run& run : runs) end = advance(end, run);
    if (end > right) {
        // Tabs make a run's width depend on where it starts: measure in place.
        Elide_Middle(runs, right - left, [&](const Text_Run& run) {
            int x = left;
            for (const Text_Run& other : runs) {
                if (&other == &run) return advance(x, run) - x;
                x = advance(x, other);
            }
            return 0;
        });
    }
    int x = left;
    for (const Text_Run& run : runs) {
        const QFont font = Toolkit_Font(font_size, run.style);
        const QFontMetrics metrics(font);
        const Run_Colours& colours = palette.colours(run.colour);
        const int run_end = advance(x, run);
        if (colours.backing)
            painter.fillRect(QRect(x - 1, baseline - metrics.ascent(), run_end - x + 2, metrics.height()), Qt_Colour(*colours.backing));
        painter.setFont(font);
        painter.setPen(Qt_Colour(colours.text));
        const QStringList pieces = Qt_Text(run.text).split(QLatin1Char('\t'));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0) x = left + ((x - left) / tab_width + 1) * tab_width;
            painter.drawText(x, baseline, pieces[i]);
            x += metrics.horizontalAdvance(pieces[i]);
        }
    }
}

}  // namespace

void Text::Write(Text& panel, const char* text) {
    if (!text) return;
    {
        std::lock_guard guard(Draw::Lock());
        write_locked(panel, text);
    }
    request_repaint(panel);
}

void Text::OverWrite(Text& panel, const char* text) {
    if (!text) return;
    {
        std::lock_guard guard(Draw::Lock());  // one step: no other write lands in between
        if (!panel.lines_.empty()) {
            panel.lines_.pop_back();
            if (panel.scroll_back_ > 0) --panel.scroll_back_;  // append_locked counts it again
        }
        write_locked(panel, text);
    }
    request_repaint(panel);
}

void Text::write_locked(Text& panel, const char* text) {
    const std::string_view view = write_limit(text);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = view.find('\n', start);
        append_locked(panel, std::string(view.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

void Text::append_locked(Text& panel, std::string line) {
    panel.lines_.push_back(std::move(line));
    if (panel.lines_.size() > Max_Lines) panel.lines_.pop_front();
    // A view scrolled back stays on the lines it shows.
    if (panel.scroll_back_ > 0) panel.scroll_back_ = std::min(panel.scroll_back_ + 1, max_scroll_back(panel));
}

void Text::request_repaint(Text& panel) {
    std::function<void()> request;
    {
        std::lock_guard guard(Draw::Lock());
        request = panel.repaint_request_;
    }
    if (request) request();
}

void Text::Set_Repaint_Request(Text& panel, std::function<void()> request) {
    std::lock_guard guard(Draw::Lock());
    panel.repaint_request_ = std::move(request);
}

void Text::Layout(Text& panel, QRect area, QColor background, int font_size) {
    std::lock_guard guard(Draw::Lock());
    panel.area_ = area;
    panel.background_ = background;
    if (!panel.palette_ || panel.palette_->background() != Rgb_Of(background)) panel.palette_.emplace(Rgb_Of(background));
    panel.font_size_ = font_size;
    panel.line_height_ = QFontMetrics(Toolkit_Font(font_size, Font_Style::Bold)).lineSpacing();
    panel.tab_width_ = Tab_Average_Chars * QFontMetrics(Toolkit_Font(font_size)).averageCharWidth();
    panel.scroll_back_ = std::clamp(panel.scroll_back_, 0, max_scroll_back(panel));
}

int Text::visible_lines(const Text& panel) {
    return std::max(1, (panel.area_.height() - 2 * Padding) / std::max(1, panel.line_height_));
}

int Text::max_scroll_back(const Text& panel) {
    return std::max(0, static_cast<int>(panel.lines_.size()) - visible_lines(panel));
}

QRect Text::scroll_bar(const Text& panel) {
    if (static_cast<int>(panel.lines_.size()) <= visible_lines(panel)) return {};
    const QRect& a = panel.area_;
    return QRect(a.right() - Scroll_Bar_Width, a.top() + 1, Scroll_Bar_Width, a.height() - 2);
}

QRect Text::thumb(const Text& panel) {
    const QRect track = scroll_bar(panel);
    if (track.isEmpty()) return {};
    const int count = static_cast<int>(panel.lines_.size());
    const int visible = visible_lines(panel);
    const int height = std::max(16, track.height() * visible / count);
    const int first = count - visible - panel.scroll_back_;
    const int top = (track.height() - height) * first / std::max(1, count - visible);
    return QRect(track.left() + 1, track.top() + top, track.width() - 2, height);
}

void Text::Draw(Text& panel, QPainter& painter) {
    // What to draw is taken under the lock; the drawing itself, which shapes text, runs without
    // it, so that a worker writing lines is never held up by a paint.
    std::vector<std::string> lines;
    QRect area, track, handle;
    QColor background;
    int font_size, line_height, tab_width;
    bool dragging;
    std::optional<Markup_Palette> palette;
    {
        std::lock_guard guard(Draw::Lock());
        area = panel.area_;
        if (area.isEmpty()) return;
        track = scroll_bar(panel);
        handle = thumb(panel);
        background = panel.background_;
        font_size = panel.font_size_;
        line_height = panel.line_height_;
        tab_width = std::max(1, panel.tab_width_);
        dragging = panel.dragging_;
        if (!panel.palette_) panel.palette_.emplace(Rgb_Of(panel.background_));
        palette = panel.palette_;
        const int last = static_cast<int>(panel.lines_.size()) - 1 - panel.scroll_back_;
        const int first = std::max(0, last - visible_lines(panel) + 1);
        for (int i = first; i <= last; ++i) lines.push_back(panel.lines_[static_cast<std::size_t>(i)]);
    }
    painter.save();
    painter.fillRect(area, background);
    painter.setPen(background.darker(150));
    painter.drawRect(area.adjusted(0, 0, -1, -1));

    const int text_right = track.isEmpty() ? area.right() - Padding : track.left() - Padding;
    painter.setClipRect(QRect(QPoint(area.left() + 1, area.top() + 1), QPoint(text_right, area.bottom() - 1)));
    const int ascent = QFontMetrics(Toolkit_Font(font_size, Font_Style::Bold)).ascent();
    int top = area.top() + Padding;
    for (const std::string& line : lines) {
        draw_line(painter, line, area.left() + Padding, text_right, top + ascent, font_size, tab_width, *palette);
        top += line_height;
    }

    painter.setClipping(false);
    if (!track.isEmpty()) {
        painter.fillRect(track, background.lighter(115));
        painter.fillRect(handle, background.darker(dragging ? 170 : 130));
    }
    painter.restore();
}

void Text::Scroll(Text& panel, int lines) {
    {
        std::lock_guard guard(Draw::Lock());
        panel.scroll_back_ = std::clamp(panel.scroll_back_ - lines, 0, max_scroll_back(panel));
    }
    request_repaint(panel);
}

void Text::Pointer(Text& panel, int state) {
    bool changed = false;
    {
        std::lock_guard guard(Draw::Lock());
        const QPoint at = Draw::Pointer_Local();
        const int before = panel.scroll_back_;
        const bool was_dragging = panel.dragging_;
        if (state == 2) {
            const QRect track = scroll_bar(panel);
            const QRect handle = thumb(panel);
            if (handle.contains(at)) {
                panel.dragging_ = true;
                panel.drag_start_y_ = at.y();
                panel.drag_start_back_ = panel.scroll_back_;
            } else if (track.contains(at)) {
                // A press on the track pages towards the press.
                const int page = visible_lines(panel);
                const int lines = at.y() < handle.top() ? -page : page;
                panel.scroll_back_ = std::clamp(panel.scroll_back_ - lines, 0, max_scroll_back(panel));
            }
        } else if (state == 1 && panel.dragging_) {
            const int travel = std::max(1, scroll_bar(panel).height() - thumb(panel).height());
            const int moved = (at.y() - panel.drag_start_y_) * max_scroll_back(panel) / travel;
            panel.scroll_back_ = std::clamp(panel.drag_start_back_ - moved, 0, max_scroll_back(panel));
        } else if (state == 0) {
            panel.dragging_ = false;
        }
        changed = before != panel.scroll_back_ || was_dragging != panel.dragging_;
    }
    if (changed) request_repaint(panel);
}

int Text::Visible_Lines(const Text& panel) {
    std::lock_guard guard(Draw::Lock());
    return visible_lines(panel);
}

std::size_t Text::Line_Count(const Text& panel) {
    std::lock_guard guard(Draw::Lock());
    return panel.lines_.size();
}

std::vector<std::string> Text::Lines(const Text& panel) {
    std::lock_guard guard(Draw::Lock());
    return {panel.lines_.begin(), panel.lines_.end()};
}

std::string Text::Last_Line(const Text& panel) {
    std::lock_guard guard(Draw::Lock());
    return panel.lines_.empty() ? std::string() : panel.lines_.back();
}

std::string Text::Line(const Text& panel, std::size_t index) {
    std::lock_guard guard(Draw::Lock());
    return index < panel.lines_.size() ? panel.lines_[index] : std::string();
}

int Text::Scroll_Back(const Text& panel) {
    std::lock_guard guard(Draw::Lock());
    return panel.scroll_back_;
}

QRect Text::Area(const Text& panel) {
    std::lock_guard guard(Draw::Lock());
    return panel.area_;
}
