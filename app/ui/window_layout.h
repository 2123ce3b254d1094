// Where the parts of the windows go, for every toolkit: sizes are given at 96 dots per inch and
// scaled to the window's; rectangles are in device pixels, y downwards.
#pragma once

#include <string>
#include <string_view>

#include "app/ui/text_panel.h"

// A length at 96 dots per inch at dpi, rounded to the nearest pixel.
inline int Dpi_Scaled(int length, int dpi) {
    const long long scaled = static_cast<long long>(length) * dpi;
    return static_cast<int>((scaled >= 0 ? scaled + 48 : scaled - 48) / 96);
}

// The toolkits' push button.
inline constexpr int Button_Height = 25;
inline constexpr int Button_Margin = 6;  // around a button in its box

// The main window: from the top the panel, the results list, then the buttons in a row.
inline constexpr int Main_Width = 600;
inline constexpr int Main_Height = 380;
// The results list takes this share (percent) of what the button row leaves, never less than
// a few rows; the panel the rest.
inline constexpr int Main_Results_Share = 40;
inline constexpr int Main_Results_Min_Height = 64;
inline constexpr int Main_Panel_Min_Height = 60;
inline constexpr int Main_Button_Row_Height = 32;
inline constexpr int Main_Button_Min_Width = 110;
inline constexpr int Main_Button_Count = 5;
// The buttons' labels in their order ("&" marks the mnemonic where the toolkit has them), and
// what each tells screen readers and tooltips, its key included.
inline constexpr const char* Main_Button_Labels[Main_Button_Count] = {
    "&Choose folders\u2026", "&Make media copy\u2026", "Chec&k media\u2026", "C&opy report", "&Save report\u2026"};
inline constexpr const char* Main_Button_Tips[Main_Button_Count] = {
    "Choose folders to convert (Ctrl+O)", "Copy folders as DICOM media into a new folder (Ctrl+M)",
    "Check the DICOMDIR of folders (Ctrl+K)", "Copy the report to the clipboard (Ctrl+C)",
    "Save the report as a text file (Ctrl+S)"};
// The buttons that start a job, disabled while one runs.
inline constexpr int Main_Starting_Buttons = 3;
// Folders dropped on this one are checked instead of converted.
inline constexpr int Main_Check_Button = 2;

// A label as a toolkit without mnemonics shows it: "&&" is "&", a single "&" goes.
std::string Label_Without_Mnemonic(std::string_view label);

struct Main_Layout {
    Ui_Rect panel, results;
    Ui_Rect buttons[Main_Button_Count];
};
// The parts in a client area of width x height at dpi; each button as wide as its label needs
// (button_widths, device pixels), but at least Main_Button_Min_Width. The panel keeps a few
// pixels however small the window gets.
Main_Layout Main_Lay_Out(int width, int height, int dpi, const int (&button_widths)[Main_Button_Count]);

// The smallest client area in which the panel, the list and every button stay usable.
struct Ui_Size {
    int width = 0, height = 0;
};
Ui_Size Main_Minimum_Size(int dpi, const int (&button_widths)[Main_Button_Count]);

// The progress window's size before scaling, and where it opens: centred on its main window's
// frame, but never left of or above it (the frame's edges: left, top, right, bottom).
inline constexpr int Progress_Width = 400;
inline constexpr int Progress_Height = 250;
struct Progress_Origin {
    int x = 0, y = 0;
};
inline Progress_Origin Progress_Place(int left, int top, int right, int bottom, int width, int height) {
    const int x = (left + right - width) / 2, y = (top + bottom - height) / 2;
    return {x > left ? x : left, y > top ? y : top};
}

// The progress window's parts, from the bottom up: Cancel in its box, the bar, the panel of
// lines, the caption. The panel keeps a few pixels however small the window gets.
inline constexpr int Progress_Panel_Font_Size = 14;
inline constexpr int Progress_Caption_Font_Size = 16;
struct Progress_Layout {
    Ui_Rect caption, panel, bar_box, button_box, cancel;
};
Progress_Layout Progress_Lay_Out(int width, int height, int dpi);
