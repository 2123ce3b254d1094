#include "app/win32/gdi_draw.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include "app/ui/line_layout.h"
#include "app/ui/progress_bar.h"
#include "app/ui/progress_text.h"

namespace Gdi {

namespace {

std::mutex font_lock;
std::map<std::pair<int, Font_Style>, HFONT>& fonts() {
    static std::map<std::pair<int, Font_Style>, HFONT> made;
    return made;
}

// A context to measure text with, for the thread that asks.
HDC measuring_context() {
    thread_local struct Context {
        HDC dc = CreateCompatibleDC(nullptr);
        ~Context() { DeleteDC(dc); }
    } context;
    return context.dc;
}

const wchar_t* wide(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }

int font_ascent(HFONT font) {
    HDC dc = measuring_context();
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    return metrics.tmAscent;
}

void fill(HDC dc, const RECT& rect, Rgb colour) {
    SetDCBrushColor(dc, Colour(colour));
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void frame(HDC dc, const RECT& rect, Rgb colour) {
    SetDCBrushColor(dc, Colour(colour));
    FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Draws a marked-up line from left to right on the baseline.
void draw_line(HDC dc, const std::vector<Placed_Run>& runs, int baseline, int pixel_size, const Markup_Palette& palette) {
    for (const Placed_Run& run : runs) {
        HFONT font = Font(pixel_size, run.style);
        const Run_Colours& colours = palette.colours(run.colour);
        if (colours.backing) {
            HDC measure_dc = measuring_context();
            HGDIOBJ old = SelectObject(measure_dc, font);
            TEXTMETRICW metrics{};
            GetTextMetricsW(measure_dc, &metrics);
            SelectObject(measure_dc, old);
            fill(dc, RECT{run.x - 1, baseline - metrics.tmAscent, run.end + 1, baseline + metrics.tmDescent}, *colours.backing);
        }
        SelectObject(dc, font);
        SetTextColor(dc, Colour(colours.text));
        for (const Placed_Run::Piece& piece : run.pieces)
            TextOutW(dc, piece.x, baseline, wide(piece.text), static_cast<int>(piece.text.size()));
    }
}

}  // namespace

Rgb Shade(Rgb rgb, int percent) {
    const auto channel = [percent](uint8_t value) { return static_cast<uint8_t>(std::min(255, value * percent / 100)); };
    return {channel(rgb.red), channel(rgb.green), channel(rgb.blue)};
}

HFONT Font(int pixel_size, Font_Style style) {
    std::lock_guard guard(font_lock);
    HFONT& font = fonts()[{pixel_size, style}];
    if (!font)
        font = CreateFontW(-pixel_size, 0, 0, 0, style == Font_Style::Bold ? FW_BOLD : FW_NORMAL,
                           style == Font_Style::Oblique, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
    return font;
}

void Release_Fonts() {
    std::lock_guard guard(font_lock);
    for (auto& [key, font] : fonts()) DeleteObject(font);
    fonts().clear();
}

int Text_Width(std::u16string_view text, HFONT font) {
    if (text.empty()) return 0;
    HDC dc = measuring_context();
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide(text), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size.cx;
}

void Layout_Panel(Text_Panel& panel, const Ui_Rect& area, Rgb background, int pixel_size) {
    HDC dc = measuring_context();
    TEXTMETRICW bold{}, regular{};
    HGDIOBJ old = SelectObject(dc, Font(pixel_size, Font_Style::Bold));
    GetTextMetricsW(dc, &bold);
    SelectObject(dc, Font(pixel_size, Font_Style::Regular));
    GetTextMetricsW(dc, &regular);
    SelectObject(dc, old);
    Text_Panel::Geometry geometry;
    geometry.area = area;
    geometry.background = background;
    geometry.font_size = pixel_size;
    geometry.line_height = bold.tmHeight + bold.tmExternalLeading;
    geometry.tab_width = Text_Panel::Tab_Average_Chars * std::max(1, static_cast<int>(regular.tmAveCharWidth));
    Text_Panel::Set_Geometry(panel, geometry);
}

void Draw_Panel(Text_Panel& panel, HDC dc) {
    const std::optional<Text_Panel::View> view = Text_Panel::Take_View(panel);
    if (!view) return;
    const Text_Panel::Geometry& g = view->geometry;
    const RECT area = Win_Rect(g.area);
    fill(dc, area, g.background);
    frame(dc, area, Shade(g.background, 67));

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left + 1, area.top + 1, view->text_right + 1, area.bottom - 1);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    const int ascent = font_ascent(Font(g.font_size, Font_Style::Bold));
    const auto measure = [pixel_size = g.font_size](std::u16string_view text, Font_Style style) {
        return Text_Width(text, Font(pixel_size, style));
    };
    Line_Layouts& layouts = Text_Panel::Layouts(panel);
    int top = g.area.y + Text_Panel::Padding;
    for (const std::string& line : view->lines) {
        const std::vector<Placed_Run>& runs =
            layouts.lay_out(line, view->text_left, view->text_right, g.tab_width, g.font_size, measure);
        draw_line(dc, runs, top + ascent, g.font_size, *view->palette);
        top += g.line_height;
    }
    layouts.end_paint();
    RestoreDC(dc, saved);

    if (!view->track.empty()) {
        fill(dc, Win_Rect(view->track), Shade(g.background, 115));
        fill(dc, Win_Rect(view->thumb), Shade(g.background, view->dragging ? 59 : 77));
    }
}

void Draw_Text_Line(HDC dc, const RECT& rect, std::string_view text, HFONT font, COLORREF colour, bool centred) {
    const std::u16string decoded = Markup_Plain(text);
    std::u16string shown = decoded;
    if (Text_Width(decoded, font) > rect.right - rect.left) {
        std::vector<Text_Run> runs{Text_Run{Markup_Black, Font_Style::Regular, decoded}};
        Elide_Middle(runs, rect.right - rect.left, [font](const Text_Run& run) { return Text_Width(run.text, font); });
        shown = runs.empty() ? std::u16string() : runs.front().text;
    }
    const int saved = SaveDC(dc);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    RECT box = rect;
    DrawTextW(dc, wide(shown), static_cast<int>(shown.size()), &box,
              (centred ? DT_CENTER : DT_LEFT) | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RestoreDC(dc, saved);
}

void Box::draw(HDC dc) const {
    RECT r = Win_Rect(rect);
    fill(dc, r, background);
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    if (!label.empty()) Draw_Text_Line(dc, r, label, Font(font_size, style), RGB(0, 0, 0), true);
}

void Button::draw(HDC dc) const {
    RECT r = Win_Rect(rect);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const Rgb face_rgb{GetRValue(face), GetGValue(face), GetBValue(face)};
    fill(dc, r, hovered_ && !pressed_ ? Shade(face_rgb, 106) : face_rgb);
    DrawEdge(dc, &r, pressed_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    RECT label_rect = r;
    if (pressed_) OffsetRect(&label_rect, 1, 1);
    Draw_Text_Line(dc, label_rect, label, Font(font_size, Font_Style::Regular),
                   GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT), true);
    if (focused) {
        RECT mark = r;
        InflateRect(&mark, -4, -4);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, face);
        DrawFocusRect(dc, &mark);
    }
}

bool Button::pointer(int state, int x, int y) {
    const bool over = enabled && hit(x, y);
    const bool pressed = over && (state == 2 || (state == 1 && pressed_));
    const bool changed = over != hovered_ || pressed != pressed_;
    hovered_ = over;
    pressed_ = pressed;
    return changed;
}

void Draw_Bar(HDC dc, const Ui_Rect& rect, int position, int maximum, Rgb background) {
    if (rect.empty()) return;
    const uint32_t back = static_cast<uint32_t>(background.red) << 16 | background.green << 8 | background.blue;
    const Bar_Pixels pixels = Bar_Picture(rect.width, rect.height, position, maximum, back);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // 0xRRGGBB in a 32-bit word is blue, green, red, 0 in memory: the bitmap's own order.
    SetDIBitsToDevice(dc, rect.x, rect.y, pixels.width, pixels.height, 0, 0, 0, pixels.height, pixels.rgb.data(), &info,
                      DIB_RGB_COLORS);
}

}  // namespace Gdi
