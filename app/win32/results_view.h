// The results list on Win32: one row per converted folder under a row of column titles, the
// selected row marked; Up, Down, Home and End move the selection, Enter or a double click
// opens the selected folder.
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

    // Adds the rows of results not shown yet and brings the newest into view.
    void show_results(const std::vector<Folder_Result>& results);
    void draw(HDC dc, bool focused) const;
    // A key when the list has the focus: true when it moved the selection.
    bool key(WPARAM virtual_key);
    // Selects the row at a client point; false when no row is there.
    bool select_at(int x, int y);
    std::size_t row_count() const { return rows_.size(); }
    int selected() const { return selected_; }
    // The folder of the selected row; empty when none is selected.
    std::string selected_folder() const;

private:
    int row_height() const;
    int visible_rows() const;
    void keep_in_view();

    std::vector<std::array<std::string, Result_Columns>> rows_;
    std::vector<std::string> folders_;
    int selected_ = -1;
    int first_ = 0;  // first row in view
};
