// Win32 key messages as app/ui/input.h reads them, and the window messages of both windows.
#pragma once

#include <windows.h>

// The key code of a WM_KEYDOWN's virtual key, with the modifiers held now.
int Win32_Key_Code(WPARAM virtual_key);

// Lines the desktop scrolls per wheel notch; a page setting gives page_lines.
int Win32_Wheel_Lines(int page_lines);

// Position of a mouse message in client pixels.
inline POINT Win32_Mouse_Point(LPARAM lparam) {
    return POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
}

// Dots per inch of the window's monitor (96 when the system cannot tell).
int Win32_Dpi(HWND window);
