// The desktop's own dialogs for the main window's actions: the folder chooser, the save dialog
// and the file manager. Tests put their own hooks in their place.
#pragma once

struct Main_Widget_Hooks;

// Gives every empty dialog hook of hooks the desktop's dialog.
void Desktop_Dialogs_Fill(Main_Widget_Hooks& hooks);
