// The window's log sink: a box asked for on the worker thread is shown by the GUI thread and
// its answer goes back to the waiting worker; at shutdown a waiting worker is released.
#include <QtTest>
#include <QMessageBox>
#include <QPushButton>
#include <atomic>
#include <thread>

#include "app/windows/main_widget.h"
#include "app/windows/window_log_sink.h"
#include "util/log.h"
#include "util/log_sink.h"
#include "window_test_support.h"

namespace {

// Answers the next modal message box with the given button, from the GUI thread.
void answer_next_box(QMessageBox::StandardButton button, QString* text_seen) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, button, text_seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (text_seen) *text_seen = box->text();
        box->button(button)->click();
        timer->deleteLater();
    });
    timer->start(10);
}

}  // namespace

class Log_Sink_Test : public QObject {
    Q_OBJECT
    QTemporaryDir scratch_;

private slots:
    void initTestCase() {
        Scratch_Dir = scratch_.path().toStdString() + "/";
        Log_Set_Handler(Log_Handler);
    }

    void a_question_from_the_worker_is_answered_on_the_gui_thread() {
        Main_Widget window("test", {});
        Window_Log_Sink sink(window);
        Log_Set_Sink(&sink);
        QString seen;
        std::atomic<int> answer{-1};
        answer_next_box(QMessageBox::Yes, &seen);
        std::thread worker([&] { answer = Log_Message(&window, LOG_QUESTION, "Replace \xF1%s?", "DICOMDIR"); });
        QTRY_VERIFY(answer.load() != -1);
        worker.join();
        QCOMPARE(answer.load(), 1);
        QCOMPARE(seen, QString("Replace DICOMDIR?"));  // markup is not shown in boxes

        answer = -1;
        answer_next_box(QMessageBox::No, nullptr);
        std::thread second([&] { answer = Log_Message(&window, LOG_QUESTION, "Again?"); });
        QTRY_VERIFY(answer.load() != -1);
        second.join();
        QCOMPARE(answer.load(), 0);
        Log_Set_Sink(nullptr);
    }

    void shutdown_releases_a_worker_waiting_for_a_box() {
        Main_Widget window("test", {});
        Window_Log_Sink sink(window);
        Log_Set_Sink(&sink);
        std::atomic<int> answer{-1};
        std::thread worker([&] { answer = Log_Message(&window, LOG_QUESTION, "Never shown?"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // no event handled: the box waits
        QCOMPARE(answer.load(), -1);
        sink.shut_down();
        worker.join();
        QCOMPARE(answer.load(), 0);  // a question nobody answered is a No
        Log_Set_Sink(nullptr);
        QCoreApplication::processEvents();  // the queued request finds itself answered: no box
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(Log_Sink_Test)
#include "log_sink_test.moc"
