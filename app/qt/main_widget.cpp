#include "app/qt/main_widget.h"

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

#include "app/qt/accessibility.h"
#include "app/qt/desktop_dialogs.h"
#include "app/qt/draw_lock.h"
#include "app/qt/markup.h"
#include "app/qt/results_list.h"
#include "app/ui/attention.h"
#include "util/log.h"

namespace {

const QColor Panel_Background = Qt_Colour(Main_Panel_Background);
const QColor Drag_Highlight = Qt_Colour(Drop_Highlight);

std::vector<std::string> dropped_paths(const QMimeData& mime) {
    std::vector<std::string> paths;
    for (const QUrl& url : mime.urls()) paths.push_back(url.isLocalFile() ? url.toLocalFile().toStdString() : std::string());
    return paths;
}

QPushButton* make_button(QWidget* parent, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoDefault(true);  // Enter presses the button that has the focus
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
      choose_button_(make_button(this, Main_Button_Labels[0])),
      copy_button_(make_button(this, Main_Button_Labels[1])),
      save_button_(make_button(this, Main_Button_Labels[2])),
      logic_(this, panel_, logic_hooks()) {
    results_list_->open_folder = hooks_.open_folder;
    connect(choose_button_, &QPushButton::clicked, this, [this] { logic_.choose_folders(); });
    connect(copy_button_, &QPushButton::clicked, this, [this] { logic_.copy_report(); });
    connect(save_button_, &QPushButton::clicked, this, [this] { logic_.save_report(); });
    choose_button_->setToolTip(QStringLiteral("Choose folders to convert (Ctrl+O)"));
    title_ = title;
    setWindowTitle(title);
    resize(Main_Width, Main_Height);
    QPushButton* const buttons[Main_Button_Count] = {choose_button_, copy_button_, save_button_};
    int widths[Main_Button_Count];
    for (int i = 0; i < Main_Button_Count; ++i) widths[i] = buttons[i]->sizeHint().width();
    const Ui_Size least = Main_Minimum_Size(96, widths);  // the panel, list and buttons stay usable
    setMinimumSize(least.width, least.height);
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

Main_Window_Logic::Hooks Main_Widget::logic_hooks() {
    Desktop_Dialogs_Fill(hooks_);
    Main_Window_Logic::Hooks hooks;
    static_cast<Trace_Hooks&>(hooks) = hooks_;
    hooks.choose_folders = [this] { return hooks_.choose_folders(this); };
    hooks.choose_report_file = [this] { return hooks_.choose_report_file(this); };
    hooks.copy_text = [](const std::string& text) { QGuiApplication::clipboard()->setText(QString::fromStdString(text)); };
    hooks.close = [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); };
    hooks.conversion.open_progress = [this]() -> Progress_Window* {
        progress_window_ = Progress_Create_Window(this, Progress_Title, Progress_Caption);
        return &progress_window_->object();
    };
    hooks.conversion.results_changed = [this] { results_post_.request(); };
    hooks.conversion.finished = [this](double seconds) {
        QMetaObject::invokeMethod(this, [this, seconds] { run_ended(seconds); }, Qt::QueuedConnection);
    };
    return hooks;
}

Main_Widget::~Main_Widget() {
    finish_conversion();
    Text::Set_Repaint_Request(panel_, {});
    delete panel_part_;  // before the panel it reads goes
}

int Main_Widget::finish_conversion() {
    if (progress_window_) progress_window_->object().abandon();
    wait_for_conversion();
    return conversion().exit_code();
}

bool Main_Widget::event(QEvent* event) {
    switch (static_cast<int>(event->type())) {
    case Window_Event::Thread_Ring:
        logic_.drain_thread_ring();
        return true;
    case Window_Event::Repaint:
        repaint_post_.paced([this] {
            update();
            Accessible_Text_Changed(panel_part_);
        });
        return true;
    case Window_Event::Results:
        results_post_.handled();
        results_list_->show_results(conversion().results());
        return true;
    case QEvent::WindowActivate:
        setWindowTitle(title_);  // the finished run is seen
        return QWidget::event(event);
    default:
        return QWidget::event(event);
    }
}

// Qt scales the whole window with the desktop: laid out at 96 dots per inch.
void Main_Widget::lay_out() {
    QPushButton* const buttons[Main_Button_Count] = {choose_button_, copy_button_, save_button_};
    int widths[Main_Button_Count];
    for (int i = 0; i < Main_Button_Count; ++i) widths[i] = buttons[i]->sizeHint().width();
    const Main_Layout layout = Main_Lay_Out(width(), height(), 96, widths);
    for (int i = 0; i < Main_Button_Count; ++i) buttons[i]->setGeometry(Qt_Rect(layout.buttons[i]));
    results_list_->setGeometry(Qt_Rect(layout.results));
    Text::Layout(panel_, Qt_Rect(layout.panel), Panel_Background);
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
    if (!logic_.key(Key_Code(*event))) QWidget::keyPressEvent(event);
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

void Main_Widget::run_ended(double seconds) {
    // The progress window, this one's child, may still be the active one as the run ends.
    const QWidget* active = QApplication::activeWindow();
    if (!Run_End_Asks_Attention(seconds, active && (active == this || active->parentWidget() == this))) return;
    setWindowTitle(QString::fromStdString(Title_Done(title_.toStdString())));
    QApplication::alert(this);
}

void Main_Widget::wheelEvent(QWheelEvent* event) {
    // The list passes on a wheel it cannot follow further: only the panel's own scroll it.
    if (!Text::Area(panel_).contains(event->position().toPoint())) return;
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

void Main_Widget::closeEvent(QCloseEvent* event) {
    event->accept();
    // Ends the message loop with 0. Not quit(): it would first ask every window to close, and
    // a progress window refuses (its close box only cancels). Without a loop there is nothing
    // to end, and an exit now would end the next loop at once.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}
