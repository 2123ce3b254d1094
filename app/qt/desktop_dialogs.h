// The desktop's own dialogs for the main window's actions: the folder chooser, the save dialog
// and the file manager. Tests put their own hooks in their place.
#pragma once

#include <string>
#include <vector>

class QWidget;
struct Main_Widget_Hooks;

// The desktop's folder chooser and save dialog, starting in folder (empty: the home folder);
// after an accepted dialog, folder is where it ended.
std::vector<std::string> Desktop_Choose_Folders(QWidget* owner, std::string& folder);
std::string Desktop_Choose_Report_File(QWidget* owner, std::string& folder);

// Gives every empty dialog hook of hooks the desktop's dialog.
void Desktop_Dialogs_Fill(Main_Widget_Hooks& hooks);
