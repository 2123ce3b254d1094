// Keyboard and wheel as the windows of every toolkit understand them.
//
// Each toolkit turns its key events into a key code (the character, or one of the Key_ values
// for keys without one) with modifier bits, and asks here what the code means.
#pragma once

inline constexpr int Key_Shift = 0x100;
inline constexpr int Key_Ctrl = 0x200;
inline constexpr int Key_Alt = 0x400;
inline constexpr int Key_Keypad = 0x800;  // keypad digits are not main-keyboard digits
inline constexpr int Key_Modifiers = Key_Shift | Key_Ctrl | Key_Alt | Key_Keypad;

inline constexpr int Key_Enter = 0x0D;
inline constexpr int Key_Escape = 0x1B;
inline constexpr int Key_Space = 0x20;
// Keys without a character, outside the character range.
inline constexpr int Key_Page_Up = 0x80;
inline constexpr int Key_Page_Down = 0x81;
inline constexpr int Key_Home = 0x82;
inline constexpr int Key_End = 0x83;
inline constexpr int Key_F1 = 0x84;

enum class Main_Action {
    None,
    Trace_Level,      // value: the digit 0 ... 9
    Quit,             // Esc, Ctrl+Q
    Choose_Folders,   // Ctrl+O
    Check_Media,      // Ctrl+K: choose folders whose DICOMDIR to check
    Media_Copy,       // Ctrl+M: choose sources, then the destination of their media copy
    Help,             // F1: the README
    About,            // Ctrl+F1: the version and the libraries
    Copy_Report,      // Ctrl+C
    Save_Report,      // Ctrl+S
    Scroll_Pages,     // value: pages, negative towards older lines (PgUp / PgDn)
    Scroll_To_Start,  // Home: the oldest line
    Scroll_To_End,    // End: the newest line
};

struct Main_Key {
    Main_Action action = Main_Action::None;
    int value = 0;
};

// What a key does in the main window.
Main_Key Main_Key_Action(int code);

// In the progress window Esc, Enter and Space (with no modifier) cancel, as Cancel does.
bool Progress_Key_Cancels(int code);

// Wheel deltas add up until they make whole notches of 120; each notch scrolls the desktop's
// lines per notch, and a forward turn scrolls back (a negative count). The remainder is kept.
class Wheel_Accumulator {
public:
    static constexpr int Notch = 120;
    int lines(int delta, int lines_per_notch = 1);

private:
    int sum_ = 0;
};
