// The main window on Qt: a scrolling text panel that shows what the program reports, the results
// list and the buttons to choose folders, make or check media, and copy or save the report. What the keys, buttons
// and drops do is the shared logic's (app/ui/main_window_logic.h); here it is drawn and routed.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/qt/progress_window.h"
#include "app/qt/text.h"
#include "app/qt/window_events.h"
#include "app/ui/input.h"
#include "app/ui/main_window_logic.h"

class Accessible_Part;
class QPushButton;
class Results_List;

// What the window needs of start-up and of the desktop. Empty dialog hooks get the desktop's
// own dialogs (tests give their own instead).
struct Main_Widget_Hooks : Trace_Hooks {
    // The folders the user chose; none when the chooser was cancelled.
    std::function<std::vector<std::string>(QWidget* owner)> choose_folders;
    // The file to save the report to; empty when cancelled.
    std::function<std::string(QWidget* owner)> choose_report_file;
    // The destination of a media copy (a new folder may be made there); empty when cancelled.
    std::function<std::string(QWidget* owner)> choose_destination;
    // Shows a folder in the file manager, or a file in its program.
    std::function<void(const std::string& folder)> open_folder;
    std::function<void(QWidget* owner, const std::string& text)> show_about;
};

class Main_Widget final : public QWidget {
public:
    Main_Widget(const QString& title, Main_Widget_Hooks hooks);
    // Asks a running conversion to stop and waits for it.
    ~Main_Widget() override;

    Text& panel() { return panel_; }
    Results_List& results_list() { return *results_list_; }
    Main_Window_Logic& logic() { return logic_; }
    const Conversion& conversion() const { return logic_.conversion(); }
    // Any thread: ask for the panel to be painted again (one pending request at a time).
    void request_repaint() { repaint_post_.request(); }
    bool converting() const { return conversion().running(); }
    // Starts converting the paths as a drop does; false when refused because one is running.
    bool convert(const std::vector<std::string>& paths) { return logic_.convert(paths); }
    // The progress window of the latest conversion while it exists.
    Progress_Widget* progress_window() const { return progress_window_.data(); }
    // Blocks until the worker, if any, has ended.
    void wait_for_conversion() { logic_.conversion().wait(); }
    // Asks a running conversion to stop and waits for it; then the batch exit code of the
    // folders converted since the window opened.
    int finish_conversion();
    bool drag_highlighted() const { return drag_highlight_; }
    // Whether the drag over the window is refused (shown dashed, with "Busy").
    bool drag_refused() const { return drag_refused_; }
    // The buttons in the order of Main_Button_Labels.
    QPushButton* button(int index) const { return buttons_[index]; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The shared logic's hooks: the desktop's dialogs (or a test's) and this window's services.
    Main_Window_Logic::Hooks logic_hooks();
    void lay_out();
    void set_drag_highlight(bool on, bool refused = false);
    // The starting buttons follow the busy state.
    void show_busy();
    // A run has ended: a long one that ends unseen asks for attention until the window is active.
    void run_ended(double seconds);

    Main_Widget_Hooks hooks_;
    Text panel_;
    Coalesced_Post repaint_post_{this, Window_Event::Repaint};
    Coalesced_Post results_post_{this, Window_Event::Results};
    Wheel_Accumulator wheel_;
    Accessible_Part* panel_part_;  // the panel as screen readers see it
    Results_List* results_list_;
    QPushButton* buttons_[Main_Button_Count];
    bool drag_highlight_ = false;
    bool drag_refused_ = false;
    QString title_;  // without the mark of a finished run
    QPointer<Progress_Widget> progress_window_;
    Main_Window_Logic logic_;  // last: its worker writes into the members above until it is joined
};
