#include "app/qt/results_list.h"

#include <QHeaderView>

Results_List::Results_List(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Results"));
    QStringList titles;
    for (const char* title : Result_Column_Titles()) titles << QString::fromUtf8(title);
    setHeaderLabels(titles);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < columnCount(); ++column) header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item && open_folder) open_folder(folder(indexOfTopLevelItem(item)));
    });
}

void Results_List::show_results(const std::vector<Folder_Result>& results) {
    for (std::size_t i = static_cast<std::size_t>(topLevelItemCount()); i < results.size(); ++i) {
        folders_.push_back(results[i].folder);
        auto* item = new QTreeWidgetItem(this);
        const auto texts = Result_Row(results[i]);
        for (std::size_t column = 0; column < texts.size(); ++column) {
            item->setText(static_cast<int>(column), QString::fromStdString(texts[column]));
            if (column >= 2) item->setTextAlignment(static_cast<int>(column), Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setToolTip(0, item->text(0));
        scrollToItem(item);
    }
}

std::string Results_List::folder(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < folders_.size() ? folders_[static_cast<std::size_t>(row)] : std::string();
}
