// The desktop's own dialogs and services for the main window: the folder chooser, the file to
// save the report to, opening a folder in the file manager, and the clipboard.
#pragma once

#include "app/win32/main_window.h"

// The desktop's folder chooser and save dialog, starting in folder (empty: where the system
// likes); after an accepted dialog, folder is where it ended.
std::vector<std::string> Desktop_Choose_Folders(HWND owner, std::string& folder);
std::string Desktop_Choose_Report_File(HWND owner, std::string& folder);

// Fills the hooks left empty with the desktop's.
void Desktop_Fill(Win32_Main_Window_Hooks& hooks);
