// The text panel without its drawing: a scrolling list of marked-up lines, its view, its
// scroll bar and the pointer on it. Each toolkit's Text derives from it and adds the drawing,
// the fonts that measure lines, and its own rectangle and colour types.
//
// Writes may come from any thread: they store the line under the drawing lock and ask the
// owner for a repaint through the callback given to Set_Repaint_Request; nothing is drawn
// there. Layout, scrolling and the pointer belong to the GUI thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/line_layout.h"
#include "app/ui/palette.h"
#include "app/ui/progress_feed.h"
#include "app/ui/report_store.h"

// The toolkit's one process-wide drawing lock. Panels are written from the worker thread and
// drawn on the GUI thread; both sides take it. It is recursive because a window's paint holds
// it while the panel's own calls take it again. Where a window has an object lock too, the
// object lock is taken first.
std::recursive_mutex& Draw_Lock();

// A rectangle in pixels, y downwards; right() and bottom() are the last pixels inside.
struct Ui_Rect {
    int x = 0, y = 0, width = 0, height = 0;
    int right() const { return x + width - 1; }
    int bottom() const { return y + height - 1; }
    bool empty() const { return width <= 0 || height <= 0; }
    bool contains(int px, int py) const { return !empty() && px >= x && px <= right() && py >= y && py <= bottom(); }
    bool operator==(const Ui_Rect&) const = default;
};

class Text_Panel {
public:
    static constexpr std::size_t Max_Lines = 4096;  // older lines are released
    static constexpr std::size_t Max_Write = 8192;  // bytes kept of one write (a long path's worth)
    static constexpr int Tab_Average_Chars = 4;     // tab stops every 4 average char widths
    static constexpr int Default_Font_Size = 13;    // pixels
    static constexpr int Scroll_Bar_Width = 12;
    static constexpr int Padding = 3;

    // Appends the text (not a format) as a line; every newline inside starts another line.
    static void Write(Text_Panel& panel, const char* text);
    // Replaces the last line (appends when the panel is empty).
    static void OverWrite(Text_Panel& panel, const char* text);
    // Moves the view by signed lines: negative towards older lines.
    static void Scroll(Text_Panel& panel, int lines);
    // Whole lines the panel shows at once (a page for PgUp and PgDn).
    static int Visible_Lines(const Text_Panel& panel);
    // Called (from the writing thread, under the drawing lock) whenever the panel needs painting
    // again: it only posts, and is never called once replaced.
    static void Set_Repaint_Request(Text_Panel& panel, std::function<void()> request);

    static std::size_t Line_Count(const Text_Panel& panel);
    static std::string Line(const Text_Panel& panel, std::size_t index);  // raw bytes, markup included
    static std::string Last_Line(const Text_Panel& panel);                 // empty when there is none
    static std::vector<std::string> Lines(const Text_Panel& panel);
    // Lines appended since the panel was made, dropped ones included; an overwritten line
    // counts once.
    static std::uint64_t Appended(const Text_Panel& panel);
    // Changes so far: every write and overwrite counts.
    static std::uint64_t Revision(const Text_Panel& panel);
    // The lines still held of those appended after mark, oldest first; mark becomes Appended.
    static std::vector<std::string> Lines_Since(const Text_Panel& panel, std::uint64_t& mark);
    // From now on the panel also keeps every line for its report (app/ui/report_store.h).
    static void Keep_Report(Text_Panel& panel);
    // The report's lines when the panel keeps them, else the lines it holds.
    static std::vector<std::string> Report_Lines(const Text_Panel& panel);
    // Lines between the newest line and the bottom of the view (0 = following the end).
    static int Scroll_Back(const Text_Panel& panel);

    // What the toolkit measured for a layout: fonts are the toolkit's, the rest is shared.
    struct Geometry {
        Ui_Rect area;
        Rgb background{255, 255, 255};
        int font_size = Default_Font_Size;
        int line_height = 16;  // of the bold font, which is the tallest
        int tab_width = 28;
    };
    static void Set_Geometry(Text_Panel& panel, const Geometry& geometry);
    static Ui_Rect Area_Rect(const Text_Panel& panel);

    // 0 = moving or released, 1 = dragging with the left button, 2 = left button pressed;
    // x and y in the panel's window.
    static void Pointer_At(Text_Panel& panel, int state, int x, int y);

    // What a paint draws, taken in one step under the lock; the drawing itself, which shapes
    // text, runs without it, so that a worker writing lines is never held up by a paint.
    struct View {
        Geometry geometry;
        std::vector<std::string> lines;  // those in view, oldest first
        Ui_Rect track, thumb;            // empty when all lines fit
        bool dragging = false;
        int text_left = 0, text_right = 0;  // where lines are drawn, inside the padding and the bar
        std::optional<Markup_Palette> palette;  // made for the background; always set
    };
    // None while the panel has no area.
    static std::optional<View> Take_View(Text_Panel& panel);
    // Where the toolkit lays out the lines of a view, keeping them from paint to paint (GUI
    // thread only).
    static Line_Layouts& Layouts(Text_Panel& panel) { return panel.layouts_; }

private:
    void write_locked(const char* text);
    void append_locked(std::string line);
    void request_repaint();
    int visible_lines() const;
    int max_scroll_back() const;
    Ui_Rect scroll_bar() const;
    Ui_Rect thumb() const;

    std::deque<std::string> lines_;
    std::unique_ptr<Report_Store> report_;
    std::uint64_t appended_ = 0;
    std::uint64_t revision_ = 0;
    Geometry geometry_;
    std::optional<Markup_Palette> palette_;  // made for geometry_.background
    int scroll_back_ = 0;
    std::function<void()> repaint_request_;
    Line_Layouts layouts_;
    // Dragging the scroll bar's thumb: pointer y and scroll position where the drag began.
    bool dragging_ = false;
    int drag_start_y_ = 0;
    int drag_start_back_ = 0;
};

// A panel as the progress logic writes into it.
class Text_Target final : public Panel_Target {
public:
    explicit Text_Target(Text_Panel& panel) : panel_(panel) {}
    void write(const char* line) override { Text_Panel::Write(panel_, line); }
    void overwrite(const char* line) override { Text_Panel::OverWrite(panel_, line); }
    std::string last_line() const override { return Text_Panel::Last_Line(panel_); }

private:
    Text_Panel& panel_;
};
