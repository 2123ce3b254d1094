// The results list on Win32: one row per converted folder under a row of column titles, the
// selected row marked; Up, Down, Home and End move the selection, Enter or a double click
// opens the selected folder. The wheel and a scroll bar beside it (the main window's control)
// move the view. Long folders are shortened in the middle; rows that failed or need a look
// carry a mark and a colour.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "app/ui/results.h"
#include "app/ui/text_panel.h"

class Results_View {
public:
    Ui_Rect rect;
    int font_size = 13;  // pixels, scaled
    int bar_width = 0;   // at the right edge, kept for the scroll bar

    // Makes the scroll bar (a child of parent) and the tooltip that shows a row's whole folder.
    void create_controls(HWND parent);
    // Puts the list, its bar and its tip's area at rect, in font_size pixels.
    void place(Ui_Rect list, int font, int bar);
    // After the rows or the view changed: the bar in step, the area painted again.
    void changed();
    // A WM_VSCROLL request (its low word) of the bar; true when the scroll has ended.
    bool scroll_request(int request);
    // The pointer moved to a client point: the tip shows the folder of the row there.
    void hover(int x, int y);
    HWND scroll_bar() const { return bar_; }
    HWND tooltip() const { return tip_; }

    // Adds the rows of results not shown yet and brings the newest into view.
    void show_results(const std::vector<Folder_Result>& results);
    void draw(HDC dc, bool focused) const;
    // A key when the list has the focus: true when it moved the selection.
    bool key(WPARAM virtual_key);
    // Selects the row at a client point; false when no row is there.
    bool select_at(int x, int y);
    // The row at a client point; -1 when none is there.
    int row_at(int x, int y) const;
    // Moves the view by rows (negative: up) or to a first row; true when it moved.
    bool scroll(int rows) { return scroll_to(first_ + rows); }
    bool scroll_to(int first);
    int first_row() const { return first_; }
    int visible_rows() const;
    // The scroll bar's range, page and position for the rows and the view.
    SCROLLINFO scroll_info() const;
    // The folder of a row as the driver named it; empty when there is no such row.
    std::string folder(int row) const;
    std::size_t row_count() const { return rows_.size(); }
    int selected() const { return selected_; }
    // The folder of the selected row; empty when none is selected.
    std::string selected_folder() const;
    // What a screen reader says of the selected row; empty when none is selected.
    std::string selected_spoken() const {
        return selected_ >= 0 && selected_ < static_cast<int>(rows_.size()) ? Result_Row_Spoken(rows_[selected_]) : std::string();
    }

private:
    int row_height() const;
    void keep_in_view();

    std::vector<std::array<std::string, Result_Columns>> rows_;
    std::vector<Rgb> colours_;  // each row's text
    std::vector<std::string> folders_;
    int selected_ = -1;
    int first_ = 0;  // first row in view
    HWND parent_ = nullptr, bar_ = nullptr, tip_ = nullptr;
    int tip_row_ = -1;  // the row whose folder the tip shows
};
