// The progress window: bar length and picture, the 20-line queue and its wait, Cancel and the
// close box, the posted close, and the coalescing of bar updates.
#include <QtTest>
#include <atomic>
#include <climits>
#include <thread>

#include "app/windows/progress_bar.h"
#include "app/windows/progress_window.h"
#include "window_test_support.h"

namespace {

Progress_Widget* make_window() { return Progress_Create_Window(nullptr, "Converting", "Zorvatine conversion"); }

bool yellow(QColor c) { return c.red() == c.green() && c.red() >= 20 && c.blue() == 0; }

}  // namespace

class Progress_Window_Test : public QObject {
    Q_OBJECT
private slots:
    void bar_length_follows_the_position_within_the_range() {
        // Bar box 390 x 14: radius 5, so the rod's centre line can travel 390 - 14 = 376 pixels.
        QCOMPARE(Bar_Filled_Length(390, 14, 50, 100), 188);
        QCOMPARE(Bar_Filled_Length(390, 14, 150, 100), 376);  // above the maximum: full
        QCOMPARE(Bar_Filled_Length(390, 14, -5, 100), 0);     // negative: empty
        QCOMPARE(Bar_Filled_Length(390, 14, 7, 0), 0);        // no range: empty
        QCOMPARE(Bar_Filled_Length(390, 14, 2000000000, 2100000000), 358);  // no overflow

        Progress_Widget* window = make_window();
        Progress_Object& object = window->object();
        Progress_Range(&object, 100);
        Progress_Set(&object, 150);
        QCOMPARE(object.position(), 100);
        Progress_Add(&object, 60);
        Progress_Add(&object, INT_MAX);
        QCOMPARE(object.position(), 100);
        delete window;
    }

    void bar_picture_is_a_rod_only_where_filled() {
        const QColor background(90, 90, 100);
        const QImage empty = Bar_Image(QSize(390, 14), 5, 0, background);
        for (int x = 0; x < 390; ++x) QVERIFY(!yellow(empty.pixelColor(x, 7)));
        const QImage half = Bar_Image(QSize(390, 14), 50, 100, background);
        QVERIFY(yellow(half.pixelColor(7 + 188 + 4, 7)));  // right cap
        QCOMPARE(half.pixelColor(7 + 188 + 7, 7), background);
    }

    void twenty_five_lines_wait_for_the_window_to_drain_the_queue() {
        Progress_Widget* window = make_window();
        Progress_Object& object = window->object();
        std::atomic<int> sent{0};
        std::thread sender([&] {
            for (int i = 0; i < 25; ++i) {
                Progress_Text(&object, "line %d", i);
                ++sent;
            }
        });
        // The window handles no event yet: 20 lines wait in the queue and the sender waits.
        for (int i = 0; i < 200 && object.queued() < 20; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        QCOMPARE(object.queued(), 20);
        QCOMPARE(sent.load(), 20);

        QTRY_COMPARE_WITH_TIMEOUT(sent.load(), 25, 3000);
        sender.join();
        QTRY_COMPARE(Text::Line_Count(object.panel), 25u);
        for (std::size_t i = 0; i < 25; ++i) QCOMPARE(Text::Line(object.panel, i), "line " + std::to_string(i));
        delete window;
    }

    void cancel_and_the_close_box_raise_the_flag_and_keep_the_window() {
        Progress_Widget* window = make_window();
        Progress_Object& object = window->object();
        QVERIFY(!Progress_Cancelled(&object));
        const QPoint button = object.cancel_button.rect.center();
        QTest::mouseClick(window, Qt::LeftButton, {}, button);
        QTest::mouseClick(window, Qt::LeftButton, {}, button);
        QVERIFY(Progress_Cancelled(&object));
        QCOMPARE(Panel_Count(object.panel, "cancel..."), 2);

        QTest::mouseClick(window, Qt::LeftButton, {}, object.bar_box.rect.center());  // not on the button
        QCOMPARE(Panel_Count(object.panel, "cancel..."), 2);

        window->close();
        QVERIFY(window->isVisible());
        QCOMPARE(Panel_Last(object.panel), std::string("closing..."));
        delete window;
    }

    void close_destroys_the_window_through_the_event_loop() {
        QPointer<Progress_Widget> window = make_window();
        Progress_Close(&window->object());
        QVERIFY(!window.isNull());  // nothing happens on the calling side
        QTRY_VERIFY(window.isNull());
    }

    void bar_updates_from_the_worker_are_coalesced() {
        Progress_Widget* window = make_window();
        Progress_Object& object = window->object();
        Progress_Range(&object, 20000);
        Event_Counter counter(window);
        std::thread worker([&] {
            for (int i = 0; i < 20000; ++i) Progress_Add(&object, 1);
        });
        worker.join();
        QCoreApplication::processEvents();
        QCOMPARE(counter.count(QEvent::Type(QEvent::User + 2)), 1);
        QCOMPARE(object.position(), 20000);
        delete window;
    }
};

QTEST_MAIN(Progress_Window_Test)
#include "progress_window_test.moc"
