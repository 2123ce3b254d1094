// Posted events of the windows. The numbered ones stand for the user messages the worker
// posts (0x400 + n); the others are the windows' own.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "app/ui/coalesced_request.h"
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

// A Coalesced_Request that posts a Qt event.
class Coalesced_Post {
public:
    static constexpr int Pace_Ms = Coalesced_Request::Pace_Ms;

    Coalesced_Post(QWidget* receiver, QEvent::Type type)
        : receiver_(receiver), request_([receiver, type] { QCoreApplication::postEvent(receiver, new QEvent(type)); }) {}
    // Any thread.
    void request() { request_.request(); }
    // GUI thread, when the event arrives (before acting on it, so later requests post again).
    void handled() { request_.handled(); }
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
    Coalesced_Request request_;
};

// The key code of a key event as app/ui/input.h reads it: the character or key, plus modifiers.
int Key_Code(const QKeyEvent& event);
