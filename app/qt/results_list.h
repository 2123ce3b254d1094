// The results list below the main window's panel: one row per converted folder, scrolled by
// its own bar and the wheel. Long folders are shortened in the middle (the whole path is the
// row's tooltip and what screen readers read); rows that failed or need a look carry a mark
// and a colour. Double-click or Enter on a row opens its folder in the file manager.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/ui/results.h"

class Results_List final : public QTreeWidget {
public:
    explicit Results_List(QWidget* parent);
    // Adds the rows of results beyond those shown (results only ever grow).
    void show_results(const std::vector<Folder_Result>& results);
    std::string folder(int row) const;

protected:
    void updateGeometries() override;

private:
    // The folder column's texts shortened to its width, when that changed or force says so.
    void elide_folders(bool force);

    int elided_width_ = -1;

    std::vector<std::string> folders_;  // as the driver named them (the texts are for showing)
};
