#include "app/ui/input.h"

Main_Key Main_Key_Action(int code) {
    const int key = code & ~Key_Modifiers;
    const int modifiers = code & Key_Modifiers;
    if (modifiers == Key_Ctrl) {
        if (key >= '0' && key <= '9') return {Main_Action::Trace_Level, key - '0'};
        if (key == 'O') return {Main_Action::Choose_Folders};
        if (key == 'K') return {Main_Action::Check_Media};
        if (key == 'M') return {Main_Action::Media_Copy};
        if (key == Key_F1) return {Main_Action::About};
        if (key == 'C') return {Main_Action::Copy_Report};
        if (key == 'S') return {Main_Action::Save_Report};
        if (key == 'Q') return {Main_Action::Quit};  // as Esc: a running conversion is cancelled first
        if (key == Key_Home) return {Main_Action::Scroll_To_Start};
        if (key == Key_End) return {Main_Action::Scroll_To_End};
        return {};
    }
    if (key == Key_Escape) return {Main_Action::Quit};
    if (modifiers != 0) return {};
    switch (key) {
    case Key_Page_Up: return {Main_Action::Scroll_Pages, -1};
    case Key_Page_Down: return {Main_Action::Scroll_Pages, 1};
    case Key_Home: return {Main_Action::Scroll_To_Start};
    case Key_End: return {Main_Action::Scroll_To_End};
    case Key_F1: return {Main_Action::Help};
    default: return {};
    }
}

bool Progress_Key_Cancels(int code) { return code == Key_Escape || code == Key_Enter || code == Key_Space; }

int Wheel_Accumulator::lines(int delta, int lines_per_notch) {
    sum_ += delta;
    if (sum_ > -Notch && sum_ < Notch) return 0;
    const int notches = -(sum_ / Notch);
    sum_ %= Notch;
    return notches * (lines_per_notch > 0 ? lines_per_notch : 1);
}
