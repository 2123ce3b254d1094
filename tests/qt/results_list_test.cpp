// The results list on Qt: fifty rows scrolled to the last by the wheel over the list, long
// folders shortened in the middle with the whole path as tooltip and accessible text, failed
// rows marked and coloured; and the main window's least size.
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "app/qt/main_widget.h"
#include "app/qt/results_list.h"
#include "app/ui/path_elide.h"

class Results_List_Test : public QObject {
    Q_OBJECT

private slots:
    void fifty_rows_scroll_to_the_last_by_the_wheel() {
        QWidget window;
        window.resize(600, 200);
        Results_List list(&window);
        list.setGeometry(0, 0, 600, 200);
        std::vector<Folder_Result> results(50);
        for (std::size_t i = 0; i < results.size(); ++i) {
            results[i].folder = "/home/u/scans/2024/march/long folder name number " + std::to_string(i) + "/series" + std::to_string(i);
            results[i].outcome = i == 7 ? Folder_Outcome_Kind::Could_Not_Write : Folder_Outcome_Kind::Done;
        }
        list.show_results(results);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QScrollBar* bar = list.verticalScrollBar();
        QVERIFY(bar->isVisible() && bar->maximum() > 0);
        list.scrollToTop();
        QCOMPARE(bar->value(), 0);

        const QPointF at(list.viewport()->rect().center());
        for (int notch = 0; notch < 100 && bar->value() < bar->maximum(); ++notch) {
            QWheelEvent wheel(at, list.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(list.viewport(), &wheel);
        }
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(list.viewport()->rect().contains(list.visualItemRect(list.topLevelItem(49))));

        // The folder keeps its ends in the column; the whole path is its tooltip and what a
        // screen reader reads.
        QTreeWidgetItem* row = list.topLevelItem(49);
        const QString whole = QString::fromStdString(results[49].folder);
        QVERIFY(row->text(0).startsWith("/home/u/") && row->text(0).endsWith(QStringLiteral("\u2026/series49")));
        QVERIFY(list.fontMetrics().horizontalAdvance(row->text(0)) < list.header()->sectionSize(0));
        QCOMPARE(row->toolTip(0), whole);
        QCOMPARE(row->data(0, Qt::AccessibleTextRole).toString(), whole);
        // Wider, the column shows more of it.
        window.resize(1800, 200);
        list.setGeometry(0, 0, 1800, 200);
        QTRY_COMPARE(row->text(0), whole);

        QTreeWidgetItem* failed = list.topLevelItem(7);
        QCOMPARE(failed->text(1), QStringLiteral("\u2717 Could not write"));
        QCOMPARE(failed->foreground(1).color(), QColor(List_Failed_Text.red, List_Failed_Text.green, List_Failed_Text.blue));
        QCOMPARE(row->text(1), QStringLiteral("Done"));
    }

    void the_main_window_keeps_its_parts_usable_at_its_least_size() {
        Main_Widget_Hooks hooks;
        hooks.open_console = [] {};
        hooks.write_banner = [] {};
        hooks.library_descriptions = [] { return std::array<std::string, 3>{"dicom", "util", "tools"}; };
        Main_Widget window("Kestrapol test", hooks);
        window.show();
        window.resize(10, 10);
        QCOMPARE(window.size(), window.minimumSize());
        QVERIFY(window.minimumSize().width() >= 3 * Main_Button_Min_Width);
        QVERIFY(window.results_list().height() >= Main_Results_Min_Height);
        for (const QPushButton* button : window.findChildren<QPushButton*>())
            QVERIFY(window.rect().contains(button->geometry()));
    }
};

QTEST_MAIN(Results_List_Test)
#include "results_list_test.moc"
