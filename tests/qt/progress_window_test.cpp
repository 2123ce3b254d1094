// The progress window on Qt: what cancels, the posted close, the worker's updates coalesced into
// few events (their texts are tested in tests/ui), and what a screen reader gets of it. And the
// console window: standard output shown line by line, still passed on, given back on closing.
#include <QtTest>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "app/qt/console_window.h"
#include "app/qt/progress_window.h"
#include "window_test_support.h"

class Progress_Window_Test : public QObject {
    Q_OBJECT
    static Progress_Widget* make_window() { return Progress_Create_Window(nullptr, "Converting", "Zorvatine conversion"); }

private slots:
    // Cancel, Esc, Enter and Space raise the flag and say so; the window stays until the worker
    // closes it, its close box too.
    void cancel_its_keys_and_the_close_box_raise_the_flag_and_keep_the_window() {
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
            std::unique_ptr<Progress_Widget> window(make_window());
            QTest::keyClick(window.get(), Qt::Key_A);  // other keys do nothing
            QVERIFY(!Progress_Cancelled(&window->object()));
            QTest::keyClick(window.get(), key);
            QVERIFY(Progress_Cancelled(&window->object()));
            QCOMPARE(Text::Last_Line(window->object().panel), std::string("cancel..."));
        }
        std::unique_ptr<Progress_Widget> window(make_window());
        Progress_Object& object = window->object();
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, object.bar_box.rect.center());  // not on the button
        QVERIFY(!Progress_Cancelled(&object));
        const QPoint cancel = object.cancel_button.rect.center();
        for (int click = 0; click < 2; ++click) QTest::mouseClick(window.get(), Qt::LeftButton, {}, cancel);
        QVERIFY(Progress_Cancelled(&object));
        QCOMPARE(Panel_Count(object.panel, "cancel..."), 2);
        window->close();
        QVERIFY(window->isVisible());
        QCOMPARE(Text::Last_Line(object.panel), std::string("closing..."));
    }

    // It belongs to its main window: a dialog of it, over its middle, above no other program.
    void the_window_is_a_dialog_of_the_main_window_centred_on_it() {
        QWidget main;
        main.setGeometry(100, 100, 800, 600);
        main.show();
        std::unique_ptr<Progress_Widget> window(Progress_Create_Window(&main, "Converting", "conversion"));
        QVERIFY(window->isWindow());
        QCOMPARE(window->parentWidget(), &main);
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(!(flags & Qt::WindowStaysOnTopHint) && !(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->windowType(), Qt::Dialog);
        const QRect frame = main.frameGeometry();
        QCOMPARE(window->pos(), QPoint((frame.left() + frame.right() - Progress_Widget::Width) / 2,
                                       (frame.top() + frame.bottom() - Progress_Widget::Height) / 2));
    }

    // The close is posted: the window goes through the event loop, not on the calling side.
    void worker_updates_are_coalesced_and_shown_as_counts_then_the_window_closes() {
        Progress_Widget* window = make_window();
        Progress_Object& object = window->object();
        Event_Counter counter(window);
        std::thread worker([&] {
            Progress_Text(&object, "\xF1 Counting files...");
            for (int i = 0; i < 150; ++i) Progress_Counted(&object, 256);
        });
        worker.join();
        QTRY_COMPARE(Text::Last_Line(object.panel), std::string("\xF1 Counting files... \x01" "38,400"));
        QCOMPARE(counter.count(Window_Event::Count), 1);

        worker = std::thread([&] {
            Progress_Text(&object, "\xF1 Dir has \x01" "20000\x02 files");
            Progress_Range(&object, 20000);
            Progress_Set(&object, 0);
            Progress_Text(&object, "\xF1 Searching for DICOM files...");
            for (int i = 0; i < 20000; ++i) Progress_Add(&object, 1);
        });
        worker.join();
        QTRY_COMPARE(Text::Last_Line(object.panel), std::string("\xF1 \x01" "20,000\x02 of \x01" "20,000\x02 files"));
        QCOMPARE(object.position(), 20000);
        QVERIFY(counter.count(Window_Event::Bar) <= 2);
        const QPointer<Progress_Widget> closed = window;
        Progress_Close(&object);
        QVERIFY(!closed.isNull());
        QTRY_VERIFY(closed.isNull());
    }

    void screen_readers_get_the_caption_lines_a_rising_bar_and_cancel() {
        Accessible_Events events;
        std::unique_ptr<Progress_Widget> window(make_window());
        Progress_Object& object = window->object();
        QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(window.get());
        QCOMPARE(dialog->role(), QAccessible::Dialog);
        QCOMPARE(dialog->text(QAccessible::Name), QString("Converting"));
        QCOMPARE(dialog->childCount(), 4);
        const QList<QAccessible::Role> roles{QAccessible::StaticText, QAccessible::EditableText, QAccessible::ProgressBar,
                                             QAccessible::Button};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(dialog->child(i)->role(), roles[i]);
            QCOMPARE(dialog->child(i)->parent(), dialog);
            QCOMPARE(dialog->indexOfChild(dialog->child(i)), i);
        }
        QAccessibleInterface *caption = dialog->child(0), *lines = dialog->child(1), *bar = dialog->child(2),
                             *cancel = dialog->child(3);
        QCOMPARE(caption->text(QAccessible::Name), QString("Zorvatine conversion"));
        const QRect bar_area(window->mapToGlobal(object.bar_box.rect.topLeft()), object.bar_box.rect.size());
        QCOMPARE(bar->rect(), bar_area);
        QCOMPARE(dialog->childAt(bar_area.center().x(), bar_area.center().y()), bar);

        // New lines: all are read, only the refusal is announced.
        Progress_Text(&object, "\t file: X");
        Progress_Text(&object, "\xF1\x05" "BUSY:\x02 a conversion is running");
        QTRY_COMPARE(events.inserted, QStringList{"BUSY: a conversion is running"});
        QAccessibleTextInterface* text = lines->textInterface();
        QVERIFY(text->text(0, text->characterCount()).endsWith("\t file: X\nBUSY: a conversion is running"));

        QAccessibleValueInterface* value = bar->valueInterface();
        Progress_Range(&object, 200);
        for (const int position : {50, 120}) {
            Progress_Set(&object, position);
            QTRY_COMPARE(value->currentValue().toInt(), position);
            QTRY_VERIFY(events.values.contains(position));
        }
        QCOMPARE(value->maximumValue().toInt(), 200);
        QCOMPARE(bar->text(QAccessible::Value), QString(" 120 of 200 files"));

        QAccessibleActionInterface* action = cancel->actionInterface();
        QCOMPARE(cancel->text(QAccessible::Name), QString("Cancel"));
        QCOMPARE(action->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        action->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(Progress_Cancelled(&object));
        QCOMPARE(Panel_Count(object.panel, "cancel..."), 1);
    }

    void the_console_shows_standard_output_and_passes_it_on() {
        QTemporaryDir folder;
        const std::string file = folder.path().toStdString() + "/stdout.txt";
        // Standard output goes to a file for this test, as it would to a log when started from the desktop.
        std::fflush(stdout);
        const int original = ::dup(STDOUT_FILENO);
        QVERIFY(std::freopen(file.c_str(), "w", stdout));
        {
            Console_Window console("console");
            console.open();
            console.open();  // a second open only shows the window again
            std::printf("TRACE:   first line\n");
            std::printf("REPORT:  second\tline\npartial");
            // The test framework's own messages may pass through standard output too.
            QTRY_COMPARE(Panel_Count(console.panel(), "REPORT:  second\tline"), 1);
            QCOMPARE(Panel_Count(console.panel(), "TRACE:   first line"), 1);
            QCOMPARE(Panel_Count(console.panel(), "partial"), 0);  // not a whole line yet
        }
        std::printf("after\n");
        std::fflush(stdout);
        ::dup2(original, STDOUT_FILENO);
        ::close(original);
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        QVERIFY(text.str().find("TRACE:   first line\nREPORT:  second\tline\npartial") != std::string::npos);
        QVERIFY(text.str().find("after\n") != std::string::npos);
    }
};

QTEST_MAIN(Progress_Window_Test)
#include "progress_window_test.moc"
