// The main window on Qt with the real log handler and sink: how events reach the shared logic
// (tested in tests/ui), the busy state, drops, the results list, and boxes asked for by a worker.
#include <QClipboard>
#include <QMessageBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include <atomic>
#include <filesystem>
#include <thread>

#include "app/qt/main_widget.h"
#include "app/qt/results_list.h"
#include "app/qt/window_log_sink.h"
#include "tools/make_sample_files.h"
#include "util/log.h"
#include "util/log_sink.h"
#include "window_test_support.h"

namespace fs = std::filesystem;

// The window's sink, but a worker's line waits while held (at most 20 s): what a running job
// shows is checked before it ends. Panel lines count too, since a check posts no thread line;
// the GUI thread's own lines never wait.
class Holding_Sink final : public Log_Sink {
public:
    explicit Holding_Sink(Log_Sink& sink) : sink_(sink) {}
    void panel_write(const char* text) override { after_hold([&] { sink_.panel_write(text); }); }
    void panel_overwrite(const char* text) override { after_hold([&] { sink_.panel_overwrite(text); }); }
    void thread_line_posted(Win_Handle window) override { after_hold([&] { sink_.thread_line_posted(window); }); }
    int box(Win_Handle owner, const char* caption, const char* text, Box_Icon icon) override {
        return sink_.box(owner, caption, text, icon);
    }
    void hold(bool on) {
        std::lock_guard lock(mutex_);
        held_ = on;
        released_.notify_all();
    }

private:
    void after_hold(const std::function<void()>& pass_on) {
        if (std::this_thread::get_id() != gui_thread_) {
            std::unique_lock lock(mutex_);
            released_.wait_for(lock, std::chrono::seconds(20), [this] { return !held_; });
        }
        pass_on();
    }

    Log_Sink& sink_;
    const std::thread::id gui_thread_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
};

class Main_Widget_Test : public QObject {
    Q_OBJECT

    QTemporaryDir scratch_;
    std::vector<std::string> chosen_;  // what the folder chooser's hook answers
    std::vector<std::string> opened_;  // folders the file manager was asked to show
    std::string report_file_, destination_;
    std::unique_ptr<Main_Widget> window_;
    std::unique_ptr<Window_Log_Sink> sink_;
    std::unique_ptr<Holding_Sink> holding_;

    Text& panel() { return window_->panel(); }
    void wheel(int delta) {
        QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window_.get(), &event);
    }
    // Sends a drag's event carrying mime at `at`, accepted beforehand as Qt hands it on; the event after.
    template <class Drag_Event>
    std::unique_ptr<Drag_Event> send(const QMimeData& mime, QPoint at = QPoint(100, 100), bool accepted = false) {
        auto event = std::make_unique<Drag_Event>(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        event->setAccepted(accepted);
        QCoreApplication::sendEvent(window_.get(), event.get());
        return event;
    }
    // As the desktop does: the drag enters and moves, both accepted (else the desktop never drops), and is dropped.
    void drop(const std::vector<std::string>& folders, QPoint at = QPoint(100, 100)) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& folder : folders) urls.append(QUrl::fromLocalFile(QString::fromStdString(folder)));
        mime.setUrls(urls);
        QVERIFY(window_->acceptDrops());
        const bool entered = send<QDragEnterEvent>(mime, at)->isAccepted();
        QVERIFY(entered && send<QDragMoveEvent>(mime, at, entered)->isAccepted());
        QVERIFY(send<QDropEvent>(mime, at)->isAccepted());
    }
    bool finished() { return !window_->converting() && window_->progress_window() == nullptr; }
    // A folder holding one sample image at SERIES/IMG1.
    std::string image_folder(const char* name, const char* series = "SER1") {
        const fs::path folder = fs::path(scratch_.path().toStdString()) / name;
        fs::create_directories(folder / series);
        Sample_File_Write((folder / series / "IMG1").string(), Sample_Image{});
        return folder.string();
    }

private slots:
    void initTestCase() {
        Scratch_Dir = scratch_.path().toStdString() + "/";
        Log_Set_Handler(Log_Handler);
    }

    void init() {
        Trace_Level = 0;
        destination_.clear();
        Main_Widget_Hooks hooks;
        hooks.open_console = [] {};
        hooks.write_banner = [] {};
        hooks.library_descriptions = [] { return std::array<std::string, 3>{"dicom", "util", "tools"}; };
        hooks.choose_folders = [this](QWidget*) { return chosen_; };
        hooks.choose_report_file = [this](QWidget*) { return report_file_; };
        hooks.open_folder = [this](const std::string& folder) { opened_.push_back(folder); };
        hooks.choose_destination = [this](QWidget*) { return destination_; };
        window_ = std::make_unique<Main_Widget>("Kestrapol test", hooks);
        sink_ = std::make_unique<Window_Log_Sink>(*window_);
        holding_ = std::make_unique<Holding_Sink>(*sink_);
        Log_Set_Sink(holding_.get());
        window_->show();
    }

    void cleanup() {
        holding_->hold(false);
        Log_Set_Sink(nullptr);
        sink_->shut_down();
        window_.reset();
        sink_.reset();
        Trace_Level = 0;
    }

    void wheel_keys_and_buttons_reach_the_logic() {
        for (int i = 0; i < 100; ++i) Text::Write(panel(), "line");
        QApplication::setWheelScrollLines(3);  // the desktop's lines per notch
        wheel(60);
        wheel(60);
        QCOMPARE(Text::Scroll_Back(panel()), 3);
        window_->setFocus();
        QTest::keyClick(window_.get(), Qt::Key_End);
        QCOMPARE(Text::Scroll_Back(panel()), 0);
        QTest::keyClick(window_.get(), Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier);  // not the main keys
        QCOMPARE(Trace_Level.load(), 0);
        QTest::keyClick(window_.get(), Qt::Key_5, Qt::ControlModifier);
        QCOMPARE(Trace_Level.load(), 2);

        const QList<QPushButton*> buttons = window_->findChildren<QPushButton*>();
        QCOMPARE(buttons[1]->accessibleName(), QString("Make media copy\u2026"));  // read without its "&"
        buttons[3]->click();
        QVERIFY(QGuiApplication::clipboard()->text().endsWith("\nTrace level: 2\n"));
        report_file_ = scratch_.path().toStdString() + "/report.txt";
        buttons[4]->click();
        QVERIFY(QFile::exists(QString::fromStdString(report_file_)));

        // Each starting button starts its job; meanwhile the three are disabled.
        chosen_ = {image_folder("CHOSEN")};
        destination_ = scratch_.path().toStdString() + "/COPY";
        const auto started = [&](const std::function<void()>& press, const char* said) {
            holding_->hold(true);
            press();
            QTRY_VERIFY(!buttons[0]->isEnabled() && !buttons[1]->isEnabled() && !buttons[2]->isEnabled());
            QVERIFY(buttons[3]->isEnabled());
            holding_->hold(false);
            QTRY_VERIFY_WITH_TIMEOUT(finished(), 20000);
            QTRY_COMPARE(Panel_Count(panel(), said), 1);
            QTRY_VERIFY(buttons[0]->isEnabled() && buttons[1]->isEnabled() && buttons[2]->isEnabled());
        };
        started([&] { buttons[0]->click(); }, "Scanning 1 directory...");
        started([&] { buttons[1]->click(); }, "Copying as media into");
        started([&] { buttons[2]->click(); }, "Checking");
        QVERIFY(fs::exists(fs::path(destination_) / "DICOMDIR"));
    }

    void worker_reports_store_lines_and_coalesce_repaints() {
        Event_Counter counter(window_.get());
        std::thread worker([this] {
            for (int i = 0; i < 20000; ++i) Log_Message(window_.get(), LOG_REPORT, "file %d", i);
        });
        worker.join();
        QCOMPARE(Text::Last_Line(panel()), std::string("file 19999"));
        QCoreApplication::processEvents();
        QCOMPARE(counter.count(QEvent::Type(QEvent::User + 100)), 1);
        QVERIFY(counter.count(QEvent::Paint) <= 1);
    }

    void a_drop_is_shown_converted_into_rows_that_open_their_folders() {
        const std::string bad = image_folder("BADNAMES", "SERIES_LONG"), good = image_folder("GOOD");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(bad))});
        send<QDragEnterEvent>(mime);
        QVERIFY(window_->drag_highlighted());  // the window shows it takes the drag
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(window_.get(), &leave);
        QVERIFY(!window_->drag_highlighted());

        holding_->hold(true);
        drop({bad, good});
        QVERIFY(!window_->drag_highlighted());
        QVERIFY(window_->progress_window());
        // Busy: a drag is refused, drawn so, and the panel and the progress window say why.
        QCOMPARE(send<QDragEnterEvent>(mime)->dropAction(), Qt::IgnoreAction);
        // A move after the taken entry (to be cleared by its leave) is refused.
        QVERIFY(!send<QDragMoveEvent>(mime, QPoint(110, 110), true)->isAccepted());
        QVERIFY(window_->drag_refused());
        QTRY_COMPARE(Panel_Count(window_->progress_window()->object().panel, "BUSY:"), 1);
        QCoreApplication::sendEvent(window_.get(), &leave);
        QVERIFY(!window_->drag_refused());
        holding_->hold(false);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 20000);
        QCOMPARE(Panel_Count(panel(), "Dir has \x01" "2\x02 files"), 1);  // the thread ring drained
        Results_List& list = window_->results_list();
        QTRY_COMPARE(list.topLevelItemCount(), 2);
        list.setFocus();
        list.setCurrentItem(list.topLevelItem(1));
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(opened_, std::vector<std::string>{good});
        const QRect cell = list.visualItemRect(list.topLevelItem(0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(opened_.size(), 1u);  // names not allowed: its copy is offered instead

        // Dropped on "Check media…", the folder's DICOMDIR is checked, not written again.
        drop({good}, window_->button(Main_Check_Button)->geometry().center());
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 20000);
        QTRY_COMPARE(list.topLevelItemCount(), 3);
        QCOMPARE(list.topLevelItem(2)->text(1), QString("Checked: OK"));
    }

    void fifty_rows_scroll_by_the_wheel_and_long_folders_keep_their_ends() {
        Results_List& list = window_->results_list();
        std::vector<Folder_Result> results(50);
        for (std::size_t i = 0; i < results.size(); ++i) {
            results[i].folder = "/home/u/scans/2024/march/long folder name number " + std::to_string(i) + "/series" + std::to_string(i);
            results[i].outcome = i == 7 ? Folder_Outcome_Kind::Could_Not_Write : Folder_Outcome_Kind::Done;
        }
        list.show_results(results);
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QScrollBar* bar = list.verticalScrollBar();
        QVERIFY(bar->isVisible() && bar->maximum() > 0);
        list.scrollToTop();
        const QPointF at(list.viewport()->rect().center());
        for (int notch = 0; notch < 100 && bar->value() < bar->maximum(); ++notch) {
            QWheelEvent wheel(at, list.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(list.viewport(), &wheel);
        }
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(list.viewport()->rect().contains(list.visualItemRect(list.topLevelItem(49))));

        // The column shows the folder's ends; the whole path is the tooltip and what a screen
        // reader reads, and shows once the window is wide enough.
        QTreeWidgetItem* row = list.topLevelItem(49);
        const QString whole = QString::fromStdString(results[49].folder);
        QVERIFY(row->text(0).startsWith("/home/u/") && row->text(0).endsWith(QStringLiteral("\u2026/series49")));
        QVERIFY(list.fontMetrics().horizontalAdvance(row->text(0)) < list.header()->sectionSize(0));
        QCOMPARE(row->toolTip(0), whole);
        QCOMPARE(row->data(0, Qt::AccessibleTextRole).toString(), whole);
        window_->resize(1800, 400);
        QTRY_COMPARE(row->text(0), whole);
        QCOMPARE(list.topLevelItem(7)->text(1), QStringLiteral("\u2717 Could not write"));
        QCOMPARE(list.topLevelItem(7)->foreground(1).color(), QColor(List_Failed_Text.red, List_Failed_Text.green, List_Failed_Text.blue));
    }

    void the_least_size_keeps_every_part_usable() {
        window_->resize(10, 10);
        QCOMPARE(window_->size(), window_->minimumSize());
        QVERIFY(window_->results_list().height() >= Main_Results_Min_Height);
        for (const QPushButton* button : window_->findChildren<QPushButton*>())
            QVERIFY(window_->rect().contains(button->geometry()));
    }

    void a_question_from_the_worker_is_answered_on_the_gui_thread() {
        QString seen;
        auto* timer = new QTimer(this);  // plays the user: answers Yes once the box is up
        connect(timer, &QTimer::timeout, [timer, &seen] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen = box->text();
                box->button(QMessageBox::Yes)->click();
                timer->stop();
            }
        });
        timer->start(10);
        std::atomic<int> answer{-1};
        std::thread worker([&] { answer = Log_Message(window_.get(), LOG_QUESTION, "Replace \xF1%s?", "DICOMDIR"); });
        QTRY_VERIFY(answer.load() != -1);
        worker.join();
        QCOMPARE(answer.load(), 1);
        QCOMPARE(seen, QString("Replace DICOMDIR?"));  // markup is not shown in boxes
    }

    void shutdown_releases_a_worker_waiting_for_a_box() {
        std::atomic<int> answer{-1};
        std::thread worker([&] { answer = Log_Message(window_.get(), LOG_QUESTION, "Never shown?"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // no event handled: the worker waits
        QCOMPARE(answer.load(), -1);
        sink_->shut_down();
        worker.join();
        QCOMPARE(answer.load(), 0);  // a question nobody answered is a No
        QCoreApplication::processEvents();  // the queued request finds itself answered: no box
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The panel Qt knows nothing of is a read-only text before the results list, and of its new
    // lines only warnings and the like are announced.
    void screen_readers_read_the_panel_and_hear_its_warnings() {
        Accessible_Events events;
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(window_.get());
        QAccessibleInterface* report = window->child(0);
        QCOMPARE(report->role(), QAccessible::EditableText);
        QCOMPARE(report->text(QAccessible::Name), QString("Report"));
        QVERIFY(report->state().readOnly && report->state().multiLine);
        QCOMPARE(window->indexOfChild(report), 0);
        QVERIFY(window->indexOfChild(QAccessible::queryAccessibleInterface(&window_->results_list())) > 0);
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        window_->setFocus();
        QTRY_VERIFY(window_->hasFocus());
        QCOMPARE(window->focusChild(), report);
        QCOMPARE(events.focused.value(events.focused.size() - 1), QString("Report"));

        Text::Write(panel(), "\xF1\t\x05WARNING:\x02 Invalid file name \x01\"a.b\" !");
        Text::Write(panel(), "\t file: f");
        QTRY_COMPARE(events.inserted, QStringList{"\tWARNING: Invalid file name \"a.b\" !"});
        QAccessibleTextInterface* text = report->textInterface();
        QVERIFY(text->text(0, text->characterCount()).endsWith("\tWARNING: Invalid file name \"a.b\" !\n\t file: f"));
    }
};

QTEST_MAIN(Main_Widget_Test)
#include "main_widget_test.moc"
