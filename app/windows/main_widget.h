// The main window: one scrolling text panel that shows what the program reports. Folders
// dropped on it are converted on a worker thread; Ctrl+digit sets the trace level, Esc quits.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/windows/progress_window.h"
#include "app/windows/window_events.h"
#include "widgets/text.h"

// What the window needs of start-up when tracing is switched on from the keyboard.
struct Main_Widget_Hooks {
    std::function<void()> open_console;
    std::function<void()> write_banner;
    // The DICOM, utility and tools library descriptions, in that order.
    std::function<std::array<std::string, 3>()> library_descriptions;
};

// Key codes as the toolkit gives them: the character or key, plus modifier bits.
inline constexpr int Key_Shift = 0x100;
inline constexpr int Key_Ctrl = 0x200;
inline constexpr int Key_Alt = 0x400;
inline constexpr int Key_Keypad = 0x800;  // keypad digits are not main-keyboard digits
inline constexpr int Key_Escape = 0x1B;

class QKeyEvent;
int Key_Code(const QKeyEvent& event);

class Main_Widget final : public QWidget {
public:
    static constexpr int Width = 600;
    static constexpr int Height = 200;

    Main_Widget(const QString& title, Main_Widget_Hooks hooks);
    // Asks a running conversion to stop and waits for it.
    ~Main_Widget() override;

    Text& panel() { return panel_; }
    // Any thread: ask for the panel to be painted again (one pending request at a time).
    void request_repaint() { repaint_post_.request(); }
    bool converting() const { return converting_.load(); }
    // Starts converting the paths as a drop does; false when refused because one is running.
    bool convert(const std::vector<std::string>& paths);
    // The progress window of the latest conversion while it exists.
    Progress_Widget* progress_window() const { return progress_window_.data(); }
    // Blocks until the worker, if any, has ended.
    void wait_for_conversion();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void set_trace_level(int digit);
    void drain_thread_ring();

    Main_Widget_Hooks hooks_;
    Text panel_;
    Coalesced_Post repaint_post_{this, Window_Event::Repaint};
    int wheel_accumulator_ = 0;
    std::thread worker_;
    std::atomic<bool> converting_{false};
    QPointer<Progress_Widget> progress_window_;
};
