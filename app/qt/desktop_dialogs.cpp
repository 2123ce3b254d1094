#include "app/qt/desktop_dialogs.h"

#include <QAbstractItemView>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
#include <QTreeView>
#include <QUrl>

#include "app/qt/main_widget.h"

namespace {

QString start_in(const std::string& folder) {
    return folder.empty() ? QDir::homePath() : QString::fromStdString(folder);
}

}  // namespace

// The desktop's folder chooser. Its own dialog picks one folder; Qt's dialog, with its views
// set to extended selection, lets the user pick several at once, as a drop brings them.
std::vector<std::string> Desktop_Choose_Folders(QWidget* owner, std::string& folder) {
    QFileDialog dialog(owner, QStringLiteral("Choose folders to convert"), start_in(folder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>())
        if (qobject_cast<QListView*>(view) || qobject_cast<QTreeView*>(view))
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    std::vector<std::string> folders;
    if (dialog.exec() != QDialog::Accepted) return folders;
    for (const QString& chosen : dialog.selectedFiles()) folders.push_back(QDir::toNativeSeparators(chosen).toStdString());
    folder = QDir::toNativeSeparators(dialog.directory().absolutePath()).toStdString();
    return folders;
}

std::string Desktop_Choose_Report_File(QWidget* owner, std::string& folder) {
    const QString file = QFileDialog::getSaveFileName(owner, QStringLiteral("Save report"),
                                                      start_in(folder) + QStringLiteral("/kestrapol-report.txt"),
                                                      QStringLiteral("Text files (*.txt);;All files (*)"));
    if (!file.isEmpty()) folder = QDir::toNativeSeparators(QFileInfo(file).absolutePath()).toStdString();
    return file.toStdString();
}

namespace {

std::vector<std::string> choose_folders(QWidget* owner) {
    std::string anywhere;
    return Desktop_Choose_Folders(owner, anywhere);
}

std::string choose_report_file(QWidget* owner) {
    std::string anywhere;
    return Desktop_Choose_Report_File(owner, anywhere);
}

// Qt's own chooser of one folder, which has a button to make a new one.
std::string choose_destination(QWidget* owner) {
    const QString folder = QFileDialog::getExistingDirectory(owner, QStringLiteral("Make the media copy in"), QDir::homePath(),
                                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    return folder.isEmpty() ? std::string() : QDir::toNativeSeparators(folder).toStdString();
}

void show_about(QWidget* owner, const std::string& text) {
    QMessageBox::about(owner, QStringLiteral("About Kestrapol"), QString::fromStdString(text));
}

void open_folder(const std::string& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

}  // namespace

void Desktop_Dialogs_Fill(Main_Widget_Hooks& hooks) {
    if (!hooks.choose_folders) hooks.choose_folders = choose_folders;
    if (!hooks.choose_report_file) hooks.choose_report_file = choose_report_file;
    if (!hooks.open_folder) hooks.open_folder = open_folder;
    if (!hooks.choose_destination) hooks.choose_destination = choose_destination;
    if (!hooks.show_about) hooks.show_about = show_about;
}
