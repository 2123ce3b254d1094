#include "app/ui/window_layout.h"

#include <algorithm>

std::string Label_Without_Mnemonic(std::string_view label) {
    std::string shown;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && ++i == label.size()) break;
        shown += label[i];
    }
    return shown;
}

Main_Layout Main_Lay_Out(int width, int height, int dpi, const int (&button_widths)[Main_Button_Count]) {
    const auto px = [dpi](int length) { return Dpi_Scaled(length, dpi); };
    Main_Layout layout;
    const int row = px(Main_Button_Row_Height);
    int wanted[Main_Button_Count], total = 0;
    for (int i = 0; i < Main_Button_Count; ++i) total += wanted[i] = std::max(px(Main_Button_Min_Width), button_widths[i]);
    // A narrow window narrows every button alike rather than pushing the last out of sight.
    const int room = width - 2 - (Main_Button_Count - 1) * px(6);
    int x = 1;
    for (int i = 0; i < Main_Button_Count; ++i) {
        const int button_width = total > room ? std::max(1, static_cast<int>(1LL * wanted[i] * room / total)) : wanted[i];
        layout.buttons[i] = Ui_Rect{x, height - row + px(3), button_width, row - px(6)};
        x += button_width + px(6);
    }
    const int list_height = std::max(px(Main_Results_Min_Height), (height - row) * Main_Results_Share / 100);
    const int list_top = height - row - list_height;
    layout.results = Ui_Rect{1, list_top, width - 2, list_height};
    layout.panel = Ui_Rect{1, 1, width - 2, std::max(px(20), list_top - px(3))};
    return layout;
}

Ui_Size Main_Minimum_Size(int dpi, const int (&button_widths)[Main_Button_Count]) {
    const auto px = [dpi](int length) { return Dpi_Scaled(length, dpi); };
    int width = 2 + px(6) * (Main_Button_Count - 1);
    for (const int button_width : button_widths) width += std::max(px(Main_Button_Min_Width), button_width);
    return {width, 1 + px(Main_Panel_Min_Height) + px(3) + px(Main_Results_Min_Height) + px(Main_Button_Row_Height)};
}

Progress_Layout Progress_Lay_Out(int width, int height, int dpi) {
    const auto px = [dpi](int length) { return Dpi_Scaled(length, dpi); };
    // The rows are measured from the bottom edge.
    const auto y_up = [height](int x, int y, int w, int h) { return Ui_Rect{x, height - y - h, w, h}; };
    const int margin = px(Button_Margin);
    Progress_Layout layout;
    layout.button_box = y_up(px(5), px(5), width - px(10), 2 * margin + px(Button_Height));
    layout.cancel = y_up(px(5) + margin, px(5) + margin, width - px(22), px(Button_Height));
    layout.bar_box = y_up(px(5), px(48), width - px(10), px(14));
    layout.panel = y_up(px(5), px(68), width - px(10), std::max(px(20), height - px(119)));
    layout.caption = y_up(px(5), height - px(45), width - px(10), px(40));
    return layout;
}
