// A long run that ends while the user works in another window asks for attention: the taskbar
// entry flashes and the title says it is done until the window is active again.
#pragma once

#include <string>
#include <string_view>

// Runs shorter than this end while the user still waits for them.
inline constexpr double Attention_After_Seconds = 5;

// Whether the end of a run that took seconds asks for attention.
inline bool Run_End_Asks_Attention(double seconds, bool window_active) {
    return !window_active && seconds > Attention_After_Seconds;
}

// "Done – Kestrapol": the title while the finished run waits to be seen.
inline std::string Title_Done(std::string_view title) { return "Done \u2013 " + std::string(title); }
