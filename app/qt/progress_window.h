// The progress window: caption, a panel of progress lines, the bar and Cancel.
//
// The worker feeds it through the Progress_Window calls, which only store values and post
// events; the window draws on the GUI thread when the events arrive. The object belongs to
// the window and lives until the window is destroyed (after Progress_Close). Esc, Enter and
// Space cancel as the Cancel button does.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/qt/box.h"
#include "app/qt/text.h"
#include "app/qt/window_events.h"
#include "app/ui/progress_feed.h"
#include "app/ui/progress_text.h"
#include "app/ui/window_layout.h"

class Accessible_Part;
class Progress_Widget;

// The shared progress state with the window's widgets; its events become posted Qt events.
class Progress_Object final : public Progress_Feed {
public:
    explicit Progress_Object(Progress_Widget* window) : window_(window) {}

    // Sets the cancel flag and writes the reason to the panel.
    void cancel(const char* note) {
        Text_Target target(panel);
        Progress_Feed::cancel(target, note);
    }

    Progress_Widget* window() const { return window_; }
    Text panel;
    Box caption_label;
    Box bar_box;
    Box button_box;
    Button cancel_button;
    std::string caption_text;

protected:
    void post(Progress_Event event) override;

private:
    Progress_Widget* window_;
};

class Progress_Widget final : public QWidget {
public:
    static constexpr int Width = Progress_Width;
    static constexpr int Height = Progress_Height;

    Progress_Widget(QWidget* owner, const QString& title);
    ~Progress_Widget() override;
    Progress_Object& object() { return *object_; }
    // Shows the window above its main window with the focus, neither moved nor sized.
    void show_and_focus();
    // Posts one event of each at a time: the bar and the count are drawn once per batch.
    void request_bar() { bar_post_.request(); }
    void request_count() { count_post_.request(); }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void lay_out(int width, int height);
    void pointer_update(QPoint screen_position);

    std::unique_ptr<Progress_Object> object_;
    // What screen readers see of the caption, the lines, the bar and Cancel.
    Accessible_Part* caption_part_;
    Accessible_Part* lines_part_;
    Accessible_Part* bar_part_;
    Accessible_Part* cancel_part_;
    Coalesced_Post bar_post_{this, Window_Event::Bar};
    Coalesced_Post count_post_{this, Window_Event::Count};
    Coalesced_Post repaint_post_{this, Window_Event::Repaint};
    Wheel_Accumulator wheel_;
};

// Creates the window near the middle of the parent, visible but not yet top-most.
Progress_Widget* Progress_Create_Window(QWidget* parent, const char* title, const char* caption);
// The same, giving the object the worker feeds.
Progress_Window* Progress_Create(QWidget* parent, const char* title, const char* caption);
