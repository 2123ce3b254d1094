// The text panel: a scrolling list of marked-up lines.
//
// Writes may come from any thread: they store the line under the drawing lock and ask the
// owner for a repaint through the callback given to Set_Repaint_Request; nothing is drawn
// there. Drawing, layout, scrolling and the pointer belong to the GUI thread. Colours come from
// a palette readable on the panel's background; a line wider than the panel is shortened in
// the middle of its path.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/palette.h"
#include "app/ui/progress_feed.h"

class Text {
public:
    static constexpr std::size_t Max_Lines = 4096;    // older lines are released
    static constexpr std::size_t Max_Write = 255;     // bytes taken from one write
    static constexpr int Tab_Average_Chars = 4;       // tab stops every 4 average char widths
    static constexpr int Default_Font_Size = 13;      // pixels
    static constexpr int Scroll_Bar_Width = 12;

    // Appends the text (not a format) as a line; every newline inside starts another line.
    static void Write(Text& panel, const char* text);
    // Replaces the last line (appends when the panel is empty).
    static void OverWrite(Text& panel, const char* text);
    // Paints the panel into its rectangle.
    static void Draw(Text& panel, QPainter& painter);
    static void Layout(Text& panel, QRect area, QColor background, int font_size = Default_Font_Size);
    // Moves the view by signed lines: negative towards older lines.
    static void Scroll(Text& panel, int lines);
    // Whole lines the panel shows at once (a page for PgUp and PgDn).
    static int Visible_Lines(const Text& panel);
    // 0 = moving or released, 1 = dragging with the left button, 2 = left button pressed;
    // the position is the toolkit's shared pointer position.
    static void Pointer(Text& panel, int state);

    // Called (from the writing thread) whenever the panel needs painting again.
    static void Set_Repaint_Request(Text& panel, std::function<void()> request);

    static std::size_t Line_Count(const Text& panel);
    static std::string Line(const Text& panel, std::size_t index);  // raw bytes, markup included
    static std::string Last_Line(const Text& panel);                 // empty when there is none
    static std::vector<std::string> Lines(const Text& panel);
    // Lines between the newest line and the bottom of the view (0 = following the end).
    static int Scroll_Back(const Text& panel);
    static QRect Area(const Text& panel);

private:
    static void write_locked(Text& panel, const char* text);
    static void append_locked(Text& panel, std::string line);
    static void request_repaint(Text& panel);
    static int line_height(const Text& panel);
    static int visible_lines(const Text& panel);
    static int max_scroll_back(const Text& panel);
    static QRect scroll_bar(const Text& panel);
    static QRect thumb(const Text& panel);

    std::deque<std::string> lines_;
    QRect area_;
    QColor background_ = QColor(255, 255, 255);
    std::optional<Markup_Palette> palette_;  // made for background_
    int font_size_ = Default_Font_Size;
    int line_height_ = 16;  // measured by Layout on the GUI thread, so writers need no fonts
    int tab_width_ = 28;
    int scroll_back_ = 0;
    std::function<void()> repaint_request_;
    // Dragging the scroll bar's thumb: pointer y and scroll position where the drag began.
    bool dragging_ = false;
    int drag_start_y_ = 0;
    int drag_start_back_ = 0;
};

// A panel as the progress logic writes into it.
class Text_Target final : public Panel_Target {
public:
    explicit Text_Target(Text& panel) : panel_(panel) {}
    void write(const char* line) override { Text::Write(panel_, line); }
    void overwrite(const char* line) override { Text::OverWrite(panel_, line); }
    std::string last_line() const override { return Text::Last_Line(panel_); }

private:
    Text& panel_;
};
