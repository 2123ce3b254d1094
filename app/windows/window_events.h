// Posted events of the windows. The numbered ones stand for the user messages the worker
// posts (0x400 + n); the others are the windows' own.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <atomic>

#include "app/ui/input.h"

class QKeyEvent;

namespace Window_Event {

inline constexpr QEvent::Type User(int n) { return static_cast<QEvent::Type>(QEvent::User + n); }

// Main window.
inline constexpr QEvent::Type Thread_Ring = User(1);   // drain Thread_Text_Ring
// Progress window.
inline constexpr QEvent::Type Caption = User(0);       // redraw the caption label
inline constexpr QEvent::Type Bar = User(2);           // draw the bar (coalesced)
inline constexpr QEvent::Type Close = User(3);         // destroy the window
inline constexpr QEvent::Type Bar_Box = User(5);       // redraw the bar box
inline constexpr QEvent::Type Lines = User(6);         // write the queued lines
inline constexpr QEvent::Type Count = User(7);         // show the running count (coalesced)
// Any window with a panel written from another thread.
inline constexpr QEvent::Type Repaint = User(100);
// Main window: new rows in the results (coalesced).
inline constexpr QEvent::Type Results = User(101);

}  // namespace Window_Event

// Posts one event of a kind at a time: further requests are dropped until the window has
// handled the pending one, so a burst of writes costs one event and one paint.
class Coalesced_Post {
public:
    // What a busy worker updates is drawn at most this often: paints beyond what the eye
    // follows would take the processor from the conversion.
    static constexpr int Pace_Ms = 40;

    Coalesced_Post(QWidget* receiver, QEvent::Type type) : receiver_(receiver), type_(type) {}
    // Any thread.
    void request() {
        if (!pending_.exchange(true)) QCoreApplication::postEvent(receiver_, new QEvent(type_));
    }
    // GUI thread, when the event arrives (before acting on it, so later requests post again).
    void handled() { pending_.store(false); }
    // GUI thread, when the event arrives: acts once the pace allows; requests meanwhile join
    // this one (a repaint, the bar, the count).
    template <typename Action> void paced(Action action) {
        QTimer::singleShot(Pace_Ms, receiver_, [this, action] {
            handled();
            action();
        });
    }

private:
    QWidget* receiver_;
    QEvent::Type type_;
    std::atomic<bool> pending_{false};
};

// The key code of a key event as app/ui/input.h reads it: the character or key, plus modifiers.
int Key_Code(const QKeyEvent& event);
