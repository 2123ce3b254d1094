#include "app/win32/keys.h"

#include "app/ui/input.h"

int Win32_Key_Code(WPARAM virtual_key) {
    int code = 0;
    switch (virtual_key) {
    case VK_ESCAPE: code = Key_Escape; break;
    case VK_RETURN: code = Key_Enter; break;
    case VK_SPACE: code = Key_Space; break;
    case VK_PRIOR: code = Key_Page_Up; break;
    case VK_NEXT: code = Key_Page_Down; break;
    case VK_HOME: code = Key_Home; break;
    case VK_END: code = Key_End; break;
    case VK_F1: code = Key_F1; break;
    default:
        if ((virtual_key >= '0' && virtual_key <= '9') || (virtual_key >= 'A' && virtual_key <= 'Z'))
            code = static_cast<int>(virtual_key);
        else if (virtual_key >= VK_NUMPAD0 && virtual_key <= VK_NUMPAD9)
            code = static_cast<int>('0' + virtual_key - VK_NUMPAD0) | Key_Keypad;
    }
    if (GetKeyState(VK_SHIFT) < 0) code |= Key_Shift;
    if (GetKeyState(VK_CONTROL) < 0) code |= Key_Ctrl;
    if (GetKeyState(VK_MENU) < 0) code |= Key_Alt;
    return code;
}

int Win32_Wheel_Lines(int page_lines) {
    UINT lines = 3;
    if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
    if (lines == WHEEL_PAGESCROLL) return page_lines > 0 ? page_lines : 1;
    return static_cast<int>(lines);
}

int Win32_Dpi(HWND window) {
    const UINT dpi = window ? GetDpiForWindow(window) : GetDpiForSystem();
    return dpi ? static_cast<int>(dpi) : 96;
}
