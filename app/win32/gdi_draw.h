// The widget toolkit on the Windows graphics interface: fonts, the text panel, boxes, buttons
// and the progress bar, drawn into a device context. The panel's lines, scrolling and pointer
// logic are shared (app/ui/text_panel.h); here is only how they look.
//
// Sizes given in pixels at 96 dots per inch are scaled by the window's own dots per inch, so a
// window keeps its look on a scaled monitor.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/ui/markup.h"
#include "app/ui/palette.h"
#include "app/ui/text_panel.h"
#include "app/ui/window_layout.h"

namespace Gdi {

inline COLORREF Colour(Rgb rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }
// The colour made lighter (percent above 100) or darker (below 100).
Rgb Shade(Rgb rgb, int percent);
inline RECT Win_Rect(const Ui_Rect& r) { return RECT{r.x, r.y, r.x + r.width, r.y + r.height}; }

// Scales a length at 96 dots per inch to dpi.
inline int Scaled(int length, int dpi) { return Dpi_Scaled(length, dpi); }

// The toolkit's font for a pixel size (already scaled) and style; kept until Release_Fonts.
HFONT Font(int pixel_size, Font_Style style = Font_Style::Regular);
// Releases every font made (at shutdown).
void Release_Fonts();

// Width of text in a font, on a screen-compatible device context.
int Text_Width(std::u16string_view text, HFONT font);

// Measures the fonts for the panel's size and places it (area in device pixels).
void Layout_Panel(Text_Panel& panel, const Ui_Rect& area, Rgb background, int pixel_size);
// Paints the panel into its rectangle: lines in the palette of its background, the scroll bar.
void Draw_Panel(Text_Panel& panel, HDC dc);

// Draws text (no tabs) at the left of rect, vertically centred, shortened in the middle when it
// does not fit.
void Draw_Text_Line(HDC dc, const RECT& rect, std::string_view text, HFONT font, COLORREF colour, bool centred = false);

// A sunken frame with a background and an optional centred label.
struct Box {
    Ui_Rect rect;
    Rgb background{212, 208, 200};
    std::string label;
    int font_size = 13;  // pixels, scaled
    Font_Style style = Font_Style::Bold;
    void draw(HDC dc) const;
};

// The push button: raised, pressed while the pointer holds it, a focus mark for the keyboard.
class Button {
public:
    Ui_Rect rect;
    std::string label;
    int font_size = 13;
    bool focused = false;
    bool enabled = true;  // disabled: grey label, no hover or press

    void draw(HDC dc) const;
    // Pointer at x, y in the button's window: state 2 (pressed) or 1 (dragging) over the button
    // shows it pressed, 0 releases it. True when the look changed.
    bool pointer(int state, int x, int y);
    bool hit(int x, int y) const { return rect.contains(x, y); }
    bool pressed() const { return pressed_; }

private:
    bool hovered_ = false;
    bool pressed_ = false;
};

// The progress bar inside rect: the shaded rod of app/ui/progress_bar.h on background.
void Draw_Bar(HDC dc, const Ui_Rect& rect, int position, int maximum, Rgb background);

// Paints through a memory bitmap, so a repaint never flickers: paint draws into the memory
// context, which is then copied to dc.
template <typename Paint> void Buffered(HDC dc, int width, int height, Paint paint) {
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width > 0 ? width : 1, height > 0 ? height : 1);
    HGDIOBJ old = SelectObject(memory, bitmap);
    paint(memory);
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

// A window's WM_PAINT: paint(dc, width, height) draws the whole client area, buffered.
template <typename Paint> void Paint_Window(HWND window, Paint paint) {
    PAINTSTRUCT paint_struct;
    HDC dc = BeginPaint(window, &paint_struct);
    RECT client;
    GetClientRect(window, &client);
    Buffered(dc, client.right, client.bottom, [&](HDC memory) { paint(memory, client.right, client.bottom); });
    EndPaint(window, &paint_struct);
}

// A window's WM_DPICHANGED: takes the size and place the system suggests for the new scale;
// the size message that follows lays the window out again.
inline void Follow_Dpi_Change(HWND window, LPARAM suggested_rect) {
    const RECT* r = reinterpret_cast<const RECT*>(suggested_rect);
    SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace Gdi
