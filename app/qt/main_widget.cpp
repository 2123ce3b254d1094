#include "app/qt/main_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
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
const QColor Drag_Refused = Qt_Colour(Drop_Refused);

std::vector<std::string> dropped_paths(const QMimeData& mime) {
    std::vector<std::string> paths;
    for (const QUrl& url : mime.urls()) paths.push_back(url.isLocalFile() ? url.toLocalFile().toStdString() : std::string());
    return paths;
}

QPushButton* make_button(QWidget* parent, int index) {
    auto* button = new QPushButton(QString::fromUtf8(Main_Button_Labels[index]), parent);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoDefault(true);  // Enter presses the button that has the focus
    const QString tip = QString::fromUtf8(Main_Button_Tips[index]);
    button->setToolTip(tip);
    button->setAccessibleName(QString::fromStdString(Label_Without_Mnemonic(Main_Button_Labels[index])));
    button->setAccessibleDescription(tip);
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
    case Qt::Key_F1: code = Key_F1; break;
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
      buttons_{make_button(this, 0), make_button(this, 1), make_button(this, 2), make_button(this, 3),
               make_button(this, 4)},
      logic_(this, panel_, logic_hooks()) {
    // A row's activation is the logic's: it opens a folder, or offers a folder's media copy.
    connect(results_list_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item) logic_.activate_result(static_cast<std::size_t>(results_list_->indexOfTopLevelItem(item)));
    });
    const std::function<void()> actions[Main_Button_Count] = {
        [this] { logic_.choose_folders(); }, [this] { logic_.make_media_copy(); }, [this] { logic_.check_media(); },
        [this] { logic_.copy_report(); }, [this] { logic_.save_report(); }};
    for (int i = 0; i < Main_Button_Count; ++i) connect(buttons_[i], &QPushButton::clicked, this, actions[i]);
    title_ = title;
    setWindowTitle(title);
    resize(Main_Width, Main_Height);
    int widths[Main_Button_Count];
    for (int i = 0; i < Main_Button_Count; ++i) widths[i] = buttons_[i]->sizeHint().width();
    const Ui_Size least = Main_Minimum_Size(96, widths);  // the panel, list and buttons stay usable
    setMinimumSize(least.width, least.height);
    setAcceptDrops(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setTabOrder(this, results_list_);
    QWidget* previous = results_list_;
    for (QPushButton* button : buttons_) setTabOrder(std::exchange(previous, button), button);
    Text::Set_Repaint_Request(panel_, [this] { request_repaint(); });
    lay_out();
}

Main_Window_Logic::Hooks Main_Widget::logic_hooks() {
    Desktop_Dialogs_Fill(hooks_);
    Main_Window_Logic::Hooks hooks;
    static_cast<Trace_Hooks&>(hooks) = hooks_;
    hooks.choose_folders = [this] { return hooks_.choose_folders(this); };
    hooks.choose_report_file = [this] { return hooks_.choose_report_file(this); };
    hooks.choose_destination = [this] { return hooks_.choose_destination(this); };
    hooks.open_folder = hooks_.open_folder;
    hooks.show_about = [this](const std::string& text) { hooks_.show_about(this, text); };
    hooks.toolkit = "Qt " + std::string(QLibraryInfo::version().toString().toStdString());
    hooks.copy_text = [](const std::string& text) { QGuiApplication::clipboard()->setText(QString::fromStdString(text)); };
    hooks.close = [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); };
    hooks.conversion.open_progress = [this]() -> Progress_Window* {
        progress_window_ = Progress_Create_Window(this, Progress_Title, Progress_Caption);
        return &progress_window_->object();
    };
    hooks.conversion.results_changed = [this] { results_post_.request(); };
    // From either thread: the buttons change on the GUI thread (dropped once the window is gone).
    hooks.conversion.busy_changed = [this] { QMetaObject::invokeMethod(this, [this] { show_busy(); }, Qt::QueuedConnection); };
    hooks.conversion.progress_line = [this](const char* line) {
        if (progress_window_) progress_window_->object().text(line);
    };
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
            update(Text::Area(panel_));  // the buttons and the list around it stay as they are
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
    int widths[Main_Button_Count];
    for (int i = 0; i < Main_Button_Count; ++i) widths[i] = buttons_[i]->sizeHint().width();
    const Main_Layout layout = Main_Lay_Out(width(), height(), 96, widths);
    for (int i = 0; i < Main_Button_Count; ++i) buttons_[i]->setGeometry(Qt_Rect(layout.buttons[i]));
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
        // Refused: dashed and named, not only another colour.
        painter.setPen(QPen(drag_refused_ ? Drag_Refused : Drag_Highlight, 4, drag_refused_ ? Qt::DashLine : Qt::SolidLine));
        painter.drawRect(rect().adjusted(2, 2, -2, -2));
        if (drag_refused_) {
            QFont font = painter.font();
            font.setBold(true);
            font.setPointSize(font.pointSize() * 2);
            painter.setFont(font);
            painter.drawText(Text::Area(panel_), Qt::AlignCenter, QString::fromUtf8(Drop_Refused_Text));
        }
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

void Main_Widget::set_drag_highlight(bool on, bool refused) {
    if (drag_highlight_ == on && drag_refused_ == refused) return;
    drag_highlight_ = on;
    drag_refused_ = on && refused;
    update();
}

void Main_Widget::show_busy() {
    for (int i = 0; i < Main_Starting_Buttons; ++i) buttons_[i]->setEnabled(logic_.can_start());
}

// While a job runs the drag is refused and the panel says why. The entry is taken without an
// action, so that its leave still comes to clear the frame; each move is refused, which the
// desktop shows at the pointer and which keeps the drop away.
void Main_Widget::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    if (logic_.conversion().refused_busy()) {
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        set_drag_highlight(true, true);
        return;
    }
    event->acceptProposedAction();
    set_drag_highlight(true);
}

void Main_Widget::dragMoveEvent(QDragMoveEvent* event) {
    if (drag_refused_) event->ignore();
    else QWidget::dragMoveEvent(event);
}

void Main_Widget::dragLeaveEvent(QDragLeaveEvent*) { set_drag_highlight(false); }

void Main_Widget::dropEvent(QDropEvent* event) {
    set_drag_highlight(false);
    const std::vector<std::string> paths = dropped_paths(*event->mimeData());
    if (paths.empty()) return;
    const bool on_check = buttons_[Main_Check_Button]->geometry().contains(event->position().toPoint());
    if (logic_.drop(paths, on_check)) event->acceptProposedAction();
    else event->ignore();
}

void Main_Widget::closeEvent(QCloseEvent* event) {
    event->accept();
    // Ends the message loop with 0. Not quit(): it would first ask every window to close, and
    // a progress window refuses (its close box only cancels). Without a loop there is nothing
    // to end, and an exit now would end the next loop at once.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}
