#include "app/win32/results_view.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "app/ui/path_elide.h"
#include "app/win32/gdi_draw.h"
#include "util/platform/win32/wide.h"


namespace {

// The one tool of the tip: the list's area of the parent.
TTTOOLINFOW tip_tool(HWND parent) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood without a manifest for the newer controls
    tool.hwnd = parent;
    tool.uId = 1;
    return tool;
}

}  // namespace

void Results_View::create_controls(HWND parent) {
    parent_ = parent;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    bar_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, parent, nullptr, instance,
                           nullptr);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance, nullptr);
    TTTOOLINFOW tool = tip_tool(parent);
    tool.uFlags = TTF_SUBCLASS;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 2000);
}

void Results_View::place(Ui_Rect list, int font, int bar) {
    rect = list;
    font_size = font;
    bar_width = bar;
    MoveWindow(bar_, list.x + list.width - 2 - bar, list.y + 2, bar, std::max(0, list.height - 4), TRUE);
    TTTOOLINFOW tool = tip_tool(parent_);
    tool.rect = Gdi::Win_Rect(list);
    SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    scroll(0);  // a taller list shows more of the last rows
    changed();
}

void Results_View::changed() {
    SCROLLINFO info = scroll_info();
    SetScrollInfo(bar_, SB_CTL, &info, TRUE);
    tip_row_ = -2;  // another row may be under the pointer now
    const RECT area = Gdi::Win_Rect(rect);
    InvalidateRect(parent_, &area, FALSE);
}

bool Results_View::scroll_request(int request) {
    switch (request) {
    case SB_LINEUP: scroll(-1); break;
    case SB_LINEDOWN: scroll(1); break;
    case SB_PAGEUP: scroll(-visible_rows()); break;
    case SB_PAGEDOWN: scroll(visible_rows()); break;
    case SB_TOP: scroll_to(0); break;
    case SB_BOTTOM: scroll_to(INT_MAX / 2); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(bar_, SB_CTL, &info);
        scroll_to(info.nTrackPos);
        break;
    }
    default: break;
    }
    changed();
    return request == SB_ENDSCROLL;
}

void Results_View::hover(int x, int y) {
    const int row = row_at(x, y);
    if (row == tip_row_) return;
    tip_row_ = row;
    const std::wstring text = Utf8_To_Wide(folder(row));  // empty: no tip
    TTTOOLINFOW tool = tip_tool(parent_);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

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
        const Result_Mark mark = Mark_Of(results[i]);
        auto& row = rows_.emplace_back(Result_Row(results[i]));
        row[1] = mark.prefix + row[1];
        colours_.push_back(mark.text);
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
    frame.right -= bar_width;
    const int width = rect.width - bar_width;

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
    // The folder, shortened in its middle, keeps at least a sixth of the width; the others give
    // up their share of it.
    const int folder_least = width / 6;
    if (width - 4 - fixed < folder_least)
        for (std::size_t c = 1; c < Result_Columns; ++c) widths[c] = widths[c] * (width - 4 - folder_least) / std::max(1, fixed);
    fixed = 0;
    for (std::size_t c = 1; c < Result_Columns; ++c) fixed += widths[c];
    widths[0] = width - 4 - fixed;
    const Measure_Utf8 measure = [regular](std::string_view text) { return Gdi::Text_Width(Markup_Decode(text), regular); };

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
    SetDCBrushColor(dc, Gdi::Colour(List_Header_Background));
    FillRect(dc, &header, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    std::array<std::string, Result_Columns> title_texts;
    for (std::size_t c = 0; c < Result_Columns; ++c) title_texts[c] = titles[c];
    draw_row(title_texts, top, regular, Gdi::Colour(List_Text));
    top += height;
    for (int i = first_; i < static_cast<int>(rows_.size()) && i < first_ + visible_rows(); ++i, top += height) {
        RECT line{frame.left + 2, top, frame.right - 2, top + height};
        const bool selected = i == selected_;
        const COLORREF back = selected ? GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE)
                                       : Gdi::Colour(i % 2 ? List_Alternate_Background : List_Background);
        SetDCBrushColor(dc, back);
        FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        auto texts = rows_[static_cast<std::size_t>(i)];
        texts[0] = Elide_Path(texts[0], widths[0] - 2 * pad, measure);
        draw_row(texts, top, regular,
                 selected && focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Gdi::Colour(colours_[static_cast<std::size_t>(i)]));
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

int Results_View::row_at(int x, int y) const {
    if (!rect.contains(x, y) || x >= rect.x + rect.width - bar_width) return -1;
    const int row = first_ + (y - rect.y - 2) / row_height() - 1;  // the titles first
    return row < first_ || row >= static_cast<int>(rows_.size()) || row >= first_ + visible_rows() ? -1 : row;
}

bool Results_View::select_at(int x, int y) {
    const int row = row_at(x, y);
    if (row < 0) return false;
    selected_ = row;
    return true;
}

bool Results_View::scroll_to(int first) {
    const int before = first_;
    first_ = std::clamp(first, 0, std::max(0, static_cast<int>(rows_.size()) - visible_rows()));
    return first_ != before;
}

SCROLLINFO Results_View::scroll_info() const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = std::max(0, static_cast<int>(rows_.size()) - 1);
    info.nPage = static_cast<UINT>(visible_rows());
    info.nPos = first_;
    return info;
}

std::string Results_View::folder(int row) const {
    return row >= 0 && row < static_cast<int>(folders_.size()) ? folders_[static_cast<std::size_t>(row)] : std::string();
}

std::string Results_View::selected_folder() const { return folder(selected_); }
