// The progress window: caption, a panel of progress lines, the bar and Cancel.
//
// The worker feeds it through the Progress_Window calls, which only store values and post
// events; the window draws on the GUI thread when the events arrive. The object belongs to
// the window and lives until the window is destroyed (after Progress_Close).
#pragma once

#include <QWidget>
#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "app/progress.h"
#include "app/windows/window_events.h"
#include "widgets/box.h"
#include "widgets/text.h"

class Progress_Widget;

class Progress_Object final : public Progress_Window {
public:
    static constexpr int Queue_Slots = 20;
    static constexpr int Queue_Waits = 11;         // waits of Queue_Wait_Ms before a line is dropped
    static constexpr int Queue_Wait_Ms = 500;
    static constexpr std::size_t Line_Size = 2048;

    explicit Progress_Object(Progress_Widget* window) : window_(window) {}

    // Worker side (any thread).
    void show() override;
    void text(const char* line) override;
    void set(int value) override;
    void add(int delta) override;
    void range(int maximum) override;
    bool cancelled() const override { return cancel_.load(); }
    void close() override;

    // Window side.
    int position() const;
    int maximum() const;
    bool shown() const { return shown_.load(); }
    int queued() const;
    // Sets the cancel flag and writes the reason to the panel.
    void cancel(const char* note);
    // At shutdown: cancel, and stop making senders wait for a window that no longer drains.
    void abandon();
    // Writes the queued lines to the panel in arrival order and empties the queue.
    void drain();

    Progress_Widget* window() const { return window_; }
    std::recursive_mutex& lock() { return lock_; }  // the object lock: taken before the drawing lock
    Text panel;
    Box caption_label;
    Box bar_box;
    Box button_box;
    Button cancel_button;
    std::string caption_text;

private:
    void post(QEvent::Type type);

    Progress_Widget* window_;
    mutable std::recursive_mutex lock_;
    std::condition_variable_any drained_;
    std::array<std::string, Queue_Slots> queue_;
    int queue_count_ = 0;
    std::atomic<int> position_{0};
    std::atomic<int> maximum_{0};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> shown_{false};
    std::atomic<bool> abandoned_{false};
};

class Progress_Widget final : public QWidget {
public:
    static constexpr int Width = 400;
    static constexpr int Height = 250;

    Progress_Widget(QWidget* owner, const QString& title);
    Progress_Object& object() { return *object_; }
    // Sets the shown flag's visible part: top-most, visible, neither moved nor sized.
    void show_top_most();
    // Posts one bar event at a time; the bar is drawn once per batch of updates.
    void request_bar() { bar_post_.request(); }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void lay_out(int width, int height);
    void pointer_update(QPoint screen_position);

    std::unique_ptr<Progress_Object> object_;
    Coalesced_Post bar_post_{this, Window_Event::Bar};
};

// Creates the window near the middle of the parent, visible but not yet top-most.
Progress_Widget* Progress_Create_Window(QWidget* parent, const char* title, const char* caption);
// The same, giving the object the worker feeds.
Progress_Window* Progress_Create(QWidget* parent, const char* title, const char* caption);
