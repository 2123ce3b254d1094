#include "app/windows/main_widget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QUrl>
#include <QWheelEvent>
#include <system_error>

#include "app/convert.h"
#include "util/log.h"
#include "util/log_sink.h"
#include "widgets/draw_lock.h"

namespace {

const QColor Panel_Background(150, 150, 170);

// Read index of Thread_Text_Ring: process-wide like the ring, advanced only by the window.
int ring_read_index = 0;

std::vector<std::string> dropped_paths(const QMimeData& mime) {
    std::vector<std::string> paths;
    for (const QUrl& url : mime.urls()) paths.push_back(url.isLocalFile() ? url.toLocalFile().toStdString() : std::string());
    return paths;
}

}  // namespace

int Key_Code(const QKeyEvent& event) {
    const int key = event.key();
    int code = key == Qt::Key_Escape ? Key_Escape : key < 0x100 ? key : 0;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ShiftModifier) code |= Key_Shift;
    if (modifiers & Qt::ControlModifier) code |= Key_Ctrl;
    if (modifiers & Qt::AltModifier) code |= Key_Alt;
    if (modifiers & Qt::KeypadModifier) code |= Key_Keypad;
    return code;
}

Main_Widget::Main_Widget(const QString& title, Main_Widget_Hooks hooks) : hooks_(std::move(hooks)) {
    setWindowTitle(title);
    resize(Width, Height);
    setAcceptDrops(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    Text::Set_Repaint_Request(panel_, [this] { request_repaint(); });
    Text::Layout(panel_, QRect(1, 1, Width - 2, Height - 2), Panel_Background);
}

Main_Widget::~Main_Widget() {
    if (progress_window_) progress_window_->object().abandon();
    wait_for_conversion();
    Text::Set_Repaint_Request(panel_, {});
}

void Main_Widget::wait_for_conversion() {
    if (worker_.joinable()) worker_.join();
}

bool Main_Widget::event(QEvent* event) {
    switch (static_cast<int>(event->type())) {
    case Window_Event::Thread_Ring:
        drain_thread_ring();
        return true;
    case Window_Event::Repaint:
        repaint_post_.handled();
        update();
        return true;
    default:
        return QWidget::event(event);
    }
}

void Main_Widget::drain_thread_ring() {
    while (ring_read_index != Thread_Ring_Write_Index()) {
        Text::Write(panel_, Thread_Text_Ring[ring_read_index]);
        ring_read_index = (ring_read_index + 1) % Thread_Ring_Slots;
    }
}

void Main_Widget::resizeEvent(QResizeEvent*) {
    Text::Layout(panel_, QRect(1, 1, width() - 2, height() - 2), Panel_Background);
}

void Main_Widget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    Text::Draw(panel_, painter);
}

void Main_Widget::keyPressEvent(QKeyEvent* event) {
    const int code = Key_Code(*event);
    if (code >= (Key_Ctrl | '0') && code <= (Key_Ctrl | '9')) {
        set_trace_level(code - (Key_Ctrl | '0'));
    } else if ((code & 0xFF) == Key_Escape) {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

// The keyboard switches tracing off, to level 1 or to level 2, never higher.
void Main_Widget::set_trace_level(int digit) {
    const int level = digit == 0 ? 0 : digit == 1 ? 1 : 2;
    if (level != 0 && Trace_Level == 0) {
        if (hooks_.open_console) hooks_.open_console();
        Trace_Level = static_cast<int8_t>(level);
        if (hooks_.write_banner) hooks_.write_banner();
        Log_Message(this, LOG_TRACE_1, "---- Corvanthis Libraries: ----");
        if (hooks_.library_descriptions)
            for (const std::string& description : hooks_.library_descriptions())
                Log_Message(this, LOG_TRACE_1, "%s", description.c_str());
        Log_Message(this, LOG_TRACE_1, "%s", "");
    }
    Trace_Level = static_cast<int8_t>(level);
    Log_Message(this, LOG_REPORT, "Trace level: %d", level);
}

void Main_Widget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;  // Qt grabs the pointer until release
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
    const int lines = Wheel_Lines(wheel_accumulator_, event->angleDelta().y());
    if (lines != 0) Text::Scroll(panel_, lines);
}

void Main_Widget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void Main_Widget::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = dropped_paths(*event->mimeData());
    if (paths.empty()) return;
    event->acceptProposedAction();
    convert(paths);
}

bool Main_Widget::convert(const std::vector<std::string>& paths) {
    // The conversion state is shared by the whole program: one conversion at a time.
    if (converting_.load()) {
        Log_Message(this, LOG_WARNING, "\xF1\x05" "BUSY:" "\x02" " a conversion is running; drop again when it is done");
        return false;
    }
    wait_for_conversion();  // the previous worker has finished its work; collect the thread

    const int n = static_cast<int>(paths.size());
    Log_Message(this, LOG_REPORT, "\xF1\x02" "Scanning %d director%s...", n, n > 1 ? "ies" : "y");
    Convert_Data data;
    data.list = paths;
    progress_window_ = Progress_Create_Window(this, "Converting", "Zorvatine conversion");
    data.progress = &progress_window_->object();
    Progress_Show(data.progress);

    Progress_Window* progress = data.progress;
    converting_.store(true);
    try {
        worker_ = std::thread([this, data = std::move(data)]() mutable {
            Convert_Thread(this, std::move(data));
            converting_.store(false);
        });
    } catch (const std::system_error&) {
        converting_.store(false);
        Log_Message(this, LOG_ERRLOG, "file:%s line:%d", __FILE__, __LINE__);
        Log_Message(this, LOG_ERRLOG, "Unable to start convert thread");
        Progress_Close(progress);
        return false;
    }
    return true;
}

void Main_Widget::closeEvent(QCloseEvent* event) {
    event->accept();
    // Ends the message loop with 0. Not quit(): it would first ask every window to close, and
    // a progress window refuses (its close box only cancels). Without a loop there is nothing
    // to end, and an exit now would end the next loop at once.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}
