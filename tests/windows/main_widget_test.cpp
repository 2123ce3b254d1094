// The main window with the real log handler and the window's sink: wheel notches, Ctrl+digit,
// coalesced repaints of worker writes, drops that run the conversion, and boxes asked for
// on the worker thread, shown by the GUI thread while the worker waits.
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <filesystem>
#include <thread>

#include "app/windows/main_widget.h"
#include "app/windows/window_log_sink.h"
#include "tools/make_sample_files.h"
#include "util/log.h"
#include "util/log_sink.h"
#include "window_test_support.h"

namespace fs = std::filesystem;

class Main_Widget_Test : public QObject {
    Q_OBJECT

    QTemporaryDir scratch_;
    int consoles_ = 0;
    int banners_ = 0;
    std::unique_ptr<Main_Widget> window_;
    std::unique_ptr<Window_Log_Sink> sink_;

    Text& panel() { return window_->panel(); }
    void wheel(int delta) {
        QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window_.get(), &event);
    }
    void drop(const std::vector<std::string>& folders) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& folder : folders) urls.append(QUrl::fromLocalFile(QString::fromStdString(folder)));
        mime.setUrls(urls);
        // As the desktop does: the drag enters (and is accepted), then it is dropped.
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &event);
    }
    bool finished() { return !window_->converting() && window_->progress_window() == nullptr; }
    // A folder holding one sample image at SER1/IMG1.
    std::string image_folder(const char* name) {
        const fs::path folder = fs::path(scratch_.path().toStdString()) / name;
        fs::create_directories(folder / "SER1");
        Sample_File_Write((folder / "SER1" / "IMG1").string(), Sample_Image{});
        return folder.string();
    }

private slots:
    void initTestCase() {
        Scratch_Dir = scratch_.path().toStdString() + "/";
        Log_Set_Handler(Log_Handler);
    }

    void init() {
        Trace_Level = 0;
        consoles_ = banners_ = 0;
        Main_Widget_Hooks hooks;
        hooks.open_console = [this] { ++consoles_; };
        hooks.write_banner = [this] { ++banners_; };
        hooks.library_descriptions = [] { return std::array<std::string, 3>{"dicom", "util", "tools"}; };
        window_ = std::make_unique<Main_Widget>("Kestrapol test", hooks);
        sink_ = std::make_unique<Window_Log_Sink>(*window_);
        Log_Set_Sink(sink_.get());
        window_->show();
    }

    void cleanup() {
        Log_Set_Sink(nullptr);
        sink_->shut_down();
        window_.reset();
        sink_.reset();
        Trace_Level = 0;
    }

    void wheel_scrolls_whole_notches_and_keeps_the_rest() {
        for (int i = 0; i < 100; ++i) Text::Write(panel(), "line");
        wheel(360);  // three notches forward at once: three lines back
        QCOMPARE(Text::Scroll_Back(panel()), 3);
        wheel(60);  // half a notch: nothing yet
        wheel(60);
        QCOMPARE(Text::Scroll_Back(panel()), 4);
        wheel(-130);  // one notch backward, -10 kept
        wheel(-110);
        QCOMPARE(Text::Scroll_Back(panel()), 2);
    }

    void ctrl_digit_sets_the_trace_level_at_most_2() {
        QTest::keyClick(window_.get(), Qt::Key_5, Qt::ControlModifier);
        QCOMPARE(Trace_Level, 2);
        QCOMPARE(consoles_, 1);
        QCOMPARE(banners_, 1);
        QCOMPARE(Panel_Last(panel()), std::string("Trace level: 2"));

        QTest::keyClick(window_.get(), Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(Trace_Level, 0);
        QCOMPARE(Panel_Last(panel()), std::string("Trace level: 0"));

        QTest::keyClick(window_.get(), Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier);  // not the main keys
        QCOMPARE(Trace_Level, 0);
    }

    void worker_reports_store_lines_and_coalesce_repaints() {
        Event_Counter counter(window_.get());
        std::thread worker([this] {
            for (int i = 0; i < 20000; ++i) Log_Message(window_.get(), LOG_REPORT, "file %d", i);
        });
        worker.join();
        QCOMPARE(Text::Line_Count(panel()), Text::Max_Lines);
        QCOMPARE(Panel_Last(panel()), std::string("file 19999"));
        QCoreApplication::processEvents();
        QCOMPARE(counter.count(QEvent::Type(QEvent::User + 100)), 1);
        QVERIFY(counter.count(QEvent::Paint) <= 1);
    }

    void dropped_folders_are_converted_and_a_drop_meanwhile_is_refused() {
        const std::string a = image_folder("BUSYA"), b = image_folder("BUSYB"), c = image_folder("BUSYC");
        drop({a, b, c});
        QCOMPARE(Panel_Count(panel(), "Scanning 3 directories..."), 1);
        QVERIFY(!window_->convert({a}));  // the driver waits 100 ms after counting: still running
        QCOMPARE(Panel_Count(panel(), "BUSY:"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 20000);
        QCOMPARE(Panel_Count(panel(), "Dir has \x01" "3\x02 files"), 1);  // through the thread ring
        QCOMPARE(Panel_Count(panel(), "DICOMDIR Done:\xF0 Read: \x01" "1\x02 files with: \x01" "1\x02 Patients"), 3);
        QVERIFY(fs::exists(fs::path(c) / "DICOMDIR"));
        QVERIFY(window_->convert({a}));  // accepted again once the first has ended
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 20000);
    }

    void cancel_during_the_count_leaves_no_dicomdir() {
        const std::string folder = image_folder("CANCEL");
        drop({folder});
        Progress_Widget* progress = window_->progress_window();
        QVERIFY(progress);
        QTest::mouseClick(progress, Qt::LeftButton, {}, progress->object().cancel_button.rect.center());
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 20000);
        QVERIFY(!fs::exists(fs::path(folder) / "DICOMDIR"));
        QCOMPARE(Panel_Count(panel(), "DICOMDIR"), 0);
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
};

QTEST_MAIN(Main_Widget_Test)
#include "main_widget_test.moc"
