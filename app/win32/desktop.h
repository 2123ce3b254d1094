// The desktop's own dialogs and services for the main window: the folder chooser, the file to
// save the report to, opening a folder in the file manager, and the clipboard.
#pragma once

#include "app/win32/main_window.h"

// Fills the hooks left empty with the desktop's.
void Desktop_Fill(Win32_Main_Window_Hooks& hooks);
