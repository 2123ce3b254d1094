#include "app/windows/main_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <QWheelEvent>
#include <filesystem>
#include <limits>

#include "app/windows/accessibility.h"
#include "app/windows/desktop_dialogs.h"
#include "app/windows/results_list.h"
#include "util/log.h"
#include "widgets/draw_lock.h"
#include "widgets/markup.h"

namespace {

const QColor Panel_Background = Qt_Colour(Main_Panel_Background);
const QColor Drag_Highlight = Qt_Colour(Drop_Highlight);

std::vector<std::string> dropped_paths(const QMimeData& mime) {
    std::vector<std::string> paths;
    for (const QUrl& url : mime.urls()) paths.push_back(url.isLocalFile() ? url.toLocalFile().toStdString() : std::string());
    return paths;
}

QPushButton* make_button(QWidget* parent, const char* text, void (Main_Widget::*action)(), Main_Widget* window) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoDefault(true);  // Enter presses the button that has the focus
    QObject::connect(button, &QPushButton::clicked, window, action);
    return button;
}

}  // namespace

int Key_Code(const QKeyEvent& event) {
    int code;
    switch (event.key()) {
    case Qt::Key_Escape: code = Key_Escape; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: code = Key_Enter; break;
    case Qt::Key_PageUp: code = Key_Page_Up; break;
    case Qt::Key_PageDown: code = Key_Page_Down; break;
    case Qt::Key_Home: code = Key_Home; break;
    case Qt::Key_End: code = Key_End; break;
    default: code = event.key() < 0x80 ? event.key() : 0;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ShiftModifier) code |= Key_Shift;
    if (modifiers & Qt::ControlModifier) code |= Key_Ctrl;
    if (modifiers & Qt::AltModifier) code |= Key_Alt;
    if (modifiers & Qt::KeypadModifier && code != Key_Enter) code |= Key_Keypad;
    return code;
}

Main_Widget::Main_Widget(const QString& title, Main_Widget_Hooks hooks)
    : hooks_(std::move(hooks)),
      panel_part_(Accessible_Text_Part(this, panel_, Accessible_Panel_Name, true)),
      results_list_(new Results_List(this)),
      choose_button_(make_button(this, "&Choose folders\u2026", &Main_Widget::choose_folders, this)),
      copy_button_(make_button(this, "C&opy report", &Main_Widget::copy_report, this)),
      save_button_(make_button(this, "&Save report\u2026", &Main_Widget::save_report, this)),
      conversion_(this, Conversion::Hooks{[this]() -> Progress_Window* {
                                              progress_window_ = Progress_Create_Window(this, "Converting", "Zorvatine conversion");
                                              return &progress_window_->object();
                                          },
                                          [this] { results_post_.request(); }}) {
    Desktop_Dialogs_Fill(hooks_);
    results_list_->open_folder = hooks_.open_folder;
    choose_button_->setToolTip(QStringLiteral("Choose folders to convert (Ctrl+O)"));
    setWindowTitle(title);
    resize(Width, Height);
    setAcceptDrops(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setTabOrder(this, results_list_);
    setTabOrder(results_list_, choose_button_);
    setTabOrder(choose_button_, copy_button_);
    setTabOrder(copy_button_, save_button_);
    Text::Set_Repaint_Request(panel_, [this] { request_repaint(); });
    lay_out();
}

Main_Widget::~Main_Widget() {
    finish_conversion();
    Text::Set_Repaint_Request(panel_, {});
    delete panel_part_;  // before the panel it reads goes
}

int Main_Widget::finish_conversion() {
    if (progress_window_) progress_window_->object().abandon();
    wait_for_conversion();
    return conversion_.exit_code();
}

bool Main_Widget::event(QEvent* event) {
    switch (static_cast<int>(event->type())) {
    case Window_Event::Thread_Ring:
        Drain_Thread_Ring([this](const char* line) { Text::Write(panel_, line); });
        return true;
    case Window_Event::Repaint:
        repaint_post_.paced([this] {
            update();
            Accessible_Text_Changed(panel_part_);
        });
        return true;
    case Window_Event::Results:
        results_post_.handled();
        results_list_->show_results(conversion_.results());
        return true;
    default:
        return QWidget::event(event);
    }
}

// From the top: the panel, the results list, then the buttons in a row.
void Main_Widget::lay_out() {
    const int w = width(), h = height();
    const int buttons_top = h - Button_Row_Height + 3;
    int x = 1;
    for (QPushButton* button : {choose_button_, copy_button_, save_button_}) {
        const int button_width = std::max(110, button->sizeHint().width());
        button->setGeometry(x, buttons_top, button_width, Button_Row_Height - 6);
        x += button_width + 6;
    }
    const int list_top = h - Button_Row_Height - Results_Height;
    results_list_->setGeometry(1, list_top, w - 2, Results_Height);
    Text::Layout(panel_, QRect(1, 1, w - 2, std::max(20, list_top - 3)), Panel_Background);
}

void Main_Widget::resizeEvent(QResizeEvent*) { lay_out(); }

void Main_Widget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    Text::Draw(panel_, painter);
    if (hasFocus()) {  // the keys scroll the panel: show where they go
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.drawRect(Text::Area(panel_).adjusted(0, 0, -1, -1));
    }
    if (drag_highlight_) {
        painter.setPen(QPen(Drag_Highlight, 4));
        painter.drawRect(rect().adjusted(2, 2, -2, -2));
    }
}

void Main_Widget::keyPressEvent(QKeyEvent* event) {
    const Main_Key key = Main_Key_Action(Key_Code(*event));
    const int page = std::max(1, Text::Visible_Lines(panel_) - 1);
    const int far = std::numeric_limits<int>::max() / 2;
    switch (key.action) {
    case Main_Action::Trace_Level: Main_Set_Trace_Level(this, key.value, hooks_); break;
    case Main_Action::Quit: QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); break;
    case Main_Action::Choose_Folders: choose_folders(); break;
    case Main_Action::Check_Media: check_media(); break;
    case Main_Action::Copy_Report: copy_report(); break;
    case Main_Action::Save_Report: save_report(); break;
    case Main_Action::Scroll_Pages: Text::Scroll(panel_, key.value * page); break;
    case Main_Action::Scroll_To_Start: Text::Scroll(panel_, -far); break;
    case Main_Action::Scroll_To_End: Text::Scroll(panel_, far); break;
    case Main_Action::None: QWidget::keyPressEvent(event); break;
    }
}

void Main_Widget::focusInEvent(QFocusEvent*) {
    update();
    Accessible_Focused(panel_part_);  // the keys scroll the panel
}
void Main_Widget::focusOutEvent(QFocusEvent*) { update(); }

void Main_Widget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;  // Qt grabs the pointer until release
    setFocus(Qt::MouseFocusReason);
    Draw::Pointer_Set(this, event->globalPosition().toPoint());
    Text::Pointer(panel_, 2);
}

void Main_Widget::mouseReleaseEvent(QMouseEvent* event) {
    Draw::Pointer_Set(this, event->globalPosition().toPoint());
    Text::Pointer(panel_, 0);
}

void Main_Widget::mouseMoveEvent(QMouseEvent* event) {
    Draw::Pointer_Set(this, event->globalPosition().toPoint());
    Text::Pointer(panel_, (event->buttons() & Qt::LeftButton) ? 1 : 0);
}

void Main_Widget::wheelEvent(QWheelEvent* event) {
    const int lines = wheel_.lines(event->angleDelta().y(), QApplication::wheelScrollLines());
    if (lines != 0) Text::Scroll(panel_, lines);
}

void Main_Widget::set_drag_highlight(bool on) {
    if (drag_highlight_ == on) return;
    drag_highlight_ = on;
    update();
}

void Main_Widget::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    set_drag_highlight(true);
}

void Main_Widget::dragLeaveEvent(QDragLeaveEvent*) { set_drag_highlight(false); }

void Main_Widget::dropEvent(QDropEvent* event) {
    set_drag_highlight(false);
    const std::vector<std::string> paths = dropped_paths(*event->mimeData());
    if (paths.empty()) return;
    event->acceptProposedAction();
    convert(paths);
}

bool Main_Widget::convert(const std::vector<std::string>& paths) {
    Text::Scroll(panel_, std::numeric_limits<int>::max() / 2);  // what the drop brings is seen
    return conversion_.start(paths);
}

void Main_Widget::choose_folders() {
    const std::vector<std::string> folders = hooks_.choose_folders(this);
    if (!folders.empty()) convert(folders);
}

void Main_Widget::check_media() {
    const std::vector<std::string> folders = hooks_.choose_folders(this);
    if (folders.empty()) return;
    Text::Scroll(panel_, std::numeric_limits<int>::max() / 2);
    conversion_.start_check(folders);
}

std::string Main_Widget::report() const { return Report_Text(Text::Lines(panel_), conversion_.results()); }

void Main_Widget::copy_report() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(report()));
    Log_Message(this, LOG_REPORT, "Report copied");
}

void Main_Widget::save_report() {
    const std::string file = hooks_.choose_report_file(this);
    if (file.empty()) return;
    Save_Report(this, std::filesystem::path(file), file, report());
}

void Main_Widget::closeEvent(QCloseEvent* event) {
    event->accept();
    // Ends the message loop with 0. Not quit(): it would first ask every window to close, and
    // a progress window refuses (its close box only cancels). Without a loop there is nothing
    // to end, and an exit now would end the next loop at once.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}
