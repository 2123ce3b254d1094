#include "app/qt/results_list.h"

#include <QHeaderView>

#include "app/qt/markup.h"
#include "app/ui/path_elide.h"

Results_List::Results_List(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Results"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);  // the folders are shortened in their middle, below
    // The colours the marks' contrast is measured against.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt_Colour(List_Background));
    colours.setColor(QPalette::AlternateBase, Qt_Colour(List_Alternate_Background));
    colours.setColor(QPalette::Text, Qt_Colour(List_Text));
    setPalette(colours);
    QStringList titles;
    for (const char* title : Result_Column_Titles()) titles << QString::fromUtf8(title);
    setHeaderLabels(titles);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < columnCount(); ++column) header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    connect(header(), &QHeaderView::sectionResized, this, [this] { elide_folders(false); });
}

void Results_List::show_results(const std::vector<Folder_Result>& results) {
    for (std::size_t i = static_cast<std::size_t>(topLevelItemCount()); i < results.size(); ++i) {
        folders_.push_back(results[i].folder);
        auto* item = new QTreeWidgetItem(this);
        auto texts = Result_Row(results[i]);
        const Result_Mark mark = Mark_Of(results[i]);
        texts[1] = mark.prefix + texts[1];
        for (std::size_t column = 0; column < texts.size(); ++column) {
            const int at = static_cast<int>(column);
            item->setText(at, QString::fromStdString(texts[column]));
            item->setForeground(at, Qt_Colour(mark.text));
            if (column >= 2) item->setTextAlignment(at, Qt::AlignRight | Qt::AlignVCenter);
        }
        const QString whole = QString::fromStdString(results[i].folder);
        item->setToolTip(0, whole);
        item->setData(0, Qt::AccessibleTextRole, whole);
        item->setData(1, Qt::AccessibleTextRole, QString::fromStdString(texts[1]));
        scrollToItem(item);
    }
    elide_folders(true);
}

// The folder column stretches with the list: its width is known once the header is laid out.
void Results_List::updateGeometries() {
    QTreeWidget::updateGeometries();
    elide_folders(false);
}

void Results_List::elide_folders(bool force) {
    if (!force && header()->sectionSize(0) == elided_width_) return;
    elided_width_ = header()->sectionSize(0);
    const QFontMetrics metrics(font());
    // Inside the cell's margins, as the style draws them.
    const int width = header()->sectionSize(0) - 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) - 8;
    const Measure_Utf8 measure = [&metrics](std::string_view text) {
        return metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    };
    for (int row = 0; row < topLevelItemCount(); ++row)
        topLevelItem(row)->setText(0, QString::fromStdString(Elide_Path(folder(row), width, measure)));
}

std::string Results_List::folder(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < folders_.size() ? folders_[static_cast<std::size_t>(row)] : std::string();
}
