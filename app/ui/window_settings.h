// What the main window remembers between runs: the folder the last dialog ended in, and where
// the window was. Kept in a file of its own beside the per-user Kestrapol.ini ("Corvanthis/
// Kestrapol-window.ini", key=value lines), never in the ini the program ships. A damaged or
// hostile file is read as far as it makes sense and otherwise ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ui/text_panel.h"

struct Window_Settings {
    std::string folder;            // where the chooser and the save dialog start; empty: anywhere
    std::optional<Ui_Rect> frame;  // the window's frame on the desktop
    bool operator==(const Window_Settings&) const = default;
};

// The file's text and back. Unknown keys, bad numbers, sizes beyond any screen and folders
// with control characters are left out.
Window_Settings Window_Settings_Parse(std::string_view text);
std::string Window_Settings_Text(const Window_Settings& settings);

// The frame moved and shrunk onto the screens (work areas) so that a part of it, its title
// bar included, can be grabbed; at least least_width x least_height. With no screen it stays.
Ui_Rect Window_Frame_On_Screens(Ui_Rect frame, const std::vector<Ui_Rect>& screens, int least_width, int least_height);

// The file in the per-user folder; none without one.
std::optional<std::string> Window_Settings_Path();
// Read from the file at path (nothing remembered when it is missing, unreadable or far too
// large); written there, its folder made when missing. False when it could not be written.
// Without a path: the per-user file.
Window_Settings Window_Settings_Load(const std::string& path);
bool Window_Settings_Save(const Window_Settings& settings, const std::string& path);
Window_Settings Window_Settings_Load();
bool Window_Settings_Save(const Window_Settings& settings);
