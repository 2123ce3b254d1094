// The console for a start without a terminal: once tracing is asked for, everything the
// program writes to standard output is shown in this window (and still goes where standard
// output went before). Started from a terminal, the terminal is the console and this window
// is never made.
#pragma once

#include <QWidget>
#include <string>
#include <thread>

#include "app/qt/text.h"
#include "app/qt/window_events.h"
#include "util/platform_system.h"

class Console_Window final : public QWidget {
public:
    static constexpr int Width = 700;
    static constexpr int Height = 400;

    explicit Console_Window(const QString& title);
    // Gives standard output back and ends the reader.
    ~Console_Window() override;

    // True when standard output is not a terminal, so a window has to play the console.
    static bool Needed();
    // Shows the window, redirecting standard output into it the first time.
    void open();
    Text& panel() { return panel_; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void read_lines();

    Text panel_;
    Coalesced_Post repaint_post_{this, Window_Event::Repaint};
    Wheel_Accumulator wheel_;
    Stdout_Tee tee_;
    std::thread reader_;  // after tee_: joined before the pipe goes
};
