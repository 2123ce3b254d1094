#include "app/win32/results_view.h"

#include <algorithm>

#include "app/win32/gdi_draw.h"

namespace {
constexpr Rgb List_Background{255, 255, 255};
constexpr Rgb Alternate_Background{242, 242, 246};
constexpr Rgb Header_Background{225, 225, 230};
}  // namespace

int Results_View::row_height() const { return font_size + font_size / 2 + 2; }

int Results_View::visible_rows() const { return std::max(1, (rect.height - 2) / row_height() - 1); }

void Results_View::keep_in_view() {
    const int rows = static_cast<int>(rows_.size());
    if (selected_ >= 0) {
        if (selected_ < first_) first_ = selected_;
        if (selected_ >= first_ + visible_rows()) first_ = selected_ - visible_rows() + 1;
    }
    first_ = std::clamp(first_, 0, std::max(0, rows - visible_rows()));
}

void Results_View::show_results(const std::vector<Folder_Result>& results) {
    if (results.size() <= rows_.size()) return;
    for (std::size_t i = rows_.size(); i < results.size(); ++i) {
        rows_.push_back(Result_Row(results[i]));
        folders_.push_back(results[i].folder);
    }
    selected_ = static_cast<int>(rows_.size()) - 1;
    keep_in_view();
}

void Results_View::draw(HDC dc, bool focused) const {
    if (rect.empty()) return;
    RECT frame = Gdi::Win_Rect(rect);
    SetDCBrushColor(dc, Gdi::Colour(List_Background));
    FillRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);

    // The number columns are as wide as their widest text; the folder takes what is left.
    HFONT regular = Gdi::Font(font_size);
    const auto& titles = Result_Column_Titles();
    std::array<int, Result_Columns> widths{};
    const int pad = font_size / 3 + 1;
    for (std::size_t c = 1; c < Result_Columns; ++c) {
        widths[c] = Gdi::Text_Width(Markup_Decode(titles[c]), regular);
        for (const auto& row : rows_) widths[c] = std::max(widths[c], Gdi::Text_Width(Markup_Decode(row[c]), regular));
        widths[c] += 2 * pad;
    }
    int fixed = 0;
    for (std::size_t c = 1; c < Result_Columns; ++c) fixed += widths[c];
    // The folder keeps at least a fifth of the width; the others give up their share of it.
    const int folder_least = rect.width / 5;
    if (rect.width - 4 - fixed < folder_least)
        for (std::size_t c = 1; c < Result_Columns; ++c) widths[c] = widths[c] * (rect.width - 4 - folder_least) / std::max(1, fixed);
    fixed = 0;
    for (std::size_t c = 1; c < Result_Columns; ++c) fixed += widths[c];
    widths[0] = rect.width - 4 - fixed;

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, frame.left + 2, frame.top + 2, frame.right - 2, frame.bottom - 2);
    const int height = row_height();
    const auto draw_row = [&](const auto& texts, int top, HFONT font, COLORREF colour) {
        int x = rect.x + 2;
        for (std::size_t c = 0; c < Result_Columns; ++c) {
            const RECT cell{x + pad, top, x + widths[c] - pad, top + height};
            Gdi::Draw_Text_Line(dc, cell, texts[c], font, colour, false);
            x += widths[c];
        }
    };
    int top = rect.y + 2;
    RECT header{frame.left + 2, top, frame.right - 2, top + height};
    SetDCBrushColor(dc, Gdi::Colour(Header_Background));
    FillRect(dc, &header, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    std::array<std::string, Result_Columns> title_texts;
    for (std::size_t c = 0; c < Result_Columns; ++c) title_texts[c] = titles[c];
    draw_row(title_texts, top, regular, RGB(0, 0, 0));
    top += height;
    for (int i = first_; i < static_cast<int>(rows_.size()) && i < first_ + visible_rows(); ++i, top += height) {
        RECT line{frame.left + 2, top, frame.right - 2, top + height};
        const bool selected = i == selected_;
        const COLORREF back = selected ? GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE)
                                       : Gdi::Colour(i % 2 ? Alternate_Background : List_Background);
        SetDCBrushColor(dc, back);
        FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        draw_row(rows_[static_cast<std::size_t>(i)], top, regular,
                 selected && focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
        if (selected && focused) {
            SetTextColor(dc, RGB(0, 0, 0));
            DrawFocusRect(dc, &line);
        }
    }
    RestoreDC(dc, saved);
    if (focused && rows_.empty()) {
        RECT mark = frame;
        InflateRect(&mark, -3, -3);
        DrawFocusRect(dc, &mark);
    }
}

bool Results_View::key(WPARAM virtual_key) {
    const int rows = static_cast<int>(rows_.size());
    if (rows == 0) return false;
    const int before = selected_;
    switch (virtual_key) {
    case VK_UP: selected_ = std::max(0, selected_ - 1); break;
    case VK_DOWN: selected_ = std::min(rows - 1, selected_ + 1); break;
    case VK_HOME: selected_ = 0; break;
    case VK_END: selected_ = rows - 1; break;
    case VK_PRIOR: selected_ = std::max(0, selected_ - visible_rows()); break;
    case VK_NEXT: selected_ = std::min(rows - 1, selected_ + visible_rows()); break;
    default: return false;
    }
    keep_in_view();
    return before != selected_;
}

bool Results_View::select_at(int x, int y) {
    if (!rect.contains(x, y)) return false;
    const int row = first_ + (y - rect.y - 2) / row_height() - 1;  // the titles first
    if (row < first_ || row >= static_cast<int>(rows_.size())) return false;
    selected_ = row;
    return true;
}

std::string Results_View::selected_folder() const {
    return selected_ >= 0 && selected_ < static_cast<int>(folders_.size()) ? folders_[static_cast<std::size_t>(selected_)]
                                                                          : std::string();
}
