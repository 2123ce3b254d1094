#include "app/windows/progress_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cstdint>

#include "app/windows/progress_bar.h"
#include "util/log.h"
#include "widgets/draw_lock.h"

namespace {

constexpr int Panel_Font_Size = 14;
constexpr int Caption_Font_Size = 16;
const QColor Caption_Background(160, 160, 50);
const QColor Panel_Background(235, 235, 225);
const QColor Bar_Background(90, 90, 100);
const QColor Frame_Background(212, 208, 200);

// One wheel accumulator for every progress window.
int wheel_accumulator = 0;

}  // namespace

// ---- worker side ----

void Progress_Object::post(QEvent::Type type) { QCoreApplication::postEvent(window_, new QEvent(type)); }

void Progress_Object::show() {
    shown_.store(true);
    QMetaObject::invokeMethod(window_, [window = window_] { window->show_top_most(); });
}

void Progress_Object::text(const char* line) {
    {
        std::unique_lock guard(lock_);
        for (int waits = 0; queue_count_ == Queue_Slots; ++waits) {
            if (waits == Queue_Waits || abandoned_.load()) return;  // the line is lost
            drained_.wait_for(guard, std::chrono::milliseconds(Queue_Wait_Ms));
        }
        std::string& slot = queue_[static_cast<std::size_t>(queue_count_++)];
        slot.assign(line ? line : "");
        if (slot.size() >= Line_Size) slot.resize(Line_Size - 1);
    }
    post(Window_Event::Lines);
}

void Progress_Object::set(int value) {
    position_.store(std::clamp(value, 0, std::max(0, maximum_.load())));
    window_->request_bar();
}

void Progress_Object::add(int delta) {
    const int64_t sum = static_cast<int64_t>(position_.load()) + delta;  // no overflow near INT_MAX
    position_.store(static_cast<int>(std::clamp<int64_t>(sum, 0, std::max(0, maximum_.load()))));
    window_->request_bar();
}

void Progress_Object::range(int maximum) {
    maximum_.store(maximum);
    post(Window_Event::Bar_Box);
}

void Progress_Object::close() { post(Window_Event::Close); }

// ---- window side ----

int Progress_Object::position() const { return position_.load(); }
int Progress_Object::maximum() const { return maximum_.load(); }

int Progress_Object::queued() const {
    std::lock_guard guard(lock_);
    return queue_count_;
}

void Progress_Object::cancel(const char* note) {
    std::lock_guard guard(lock_);
    cancel_.store(true);
    Text::Write(panel, note);
}

void Progress_Object::abandon() {
    abandoned_.store(true);
    cancel_.store(true);
    drained_.notify_all();
}

void Progress_Object::drain() {
    std::lock_guard guard(lock_);
    for (int i = 0; i < queue_count_; ++i) Text::Write(panel, queue_[static_cast<std::size_t>(i)].c_str());
    queue_count_ = 0;
    drained_.notify_all();
}

Progress_Widget::Progress_Widget(QWidget* owner, const QString& title)
    : QWidget(owner, Qt::Window), object_(std::make_unique<Progress_Object>(this)) {
    setWindowTitle(title);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    Text::Set_Repaint_Request(object_->panel, [this] { QMetaObject::invokeMethod(this, [this] { update(); }); });
    object_->cancel_button.label = QStringLiteral("Cancel");
    object_->caption_label.background = Caption_Background;
    object_->caption_label.font_size = Caption_Font_Size;
    object_->bar_box.background = Bar_Background;
    object_->button_box.background = Frame_Background;
    resize(Width, Height);
    lay_out(Width, Height);
}

// Rows from the bottom edge up: Cancel in its box, the bar, the lines, the caption.
void Progress_Widget::lay_out(int width, int height) {
    Progress_Object& o = *object_;
    std::lock_guard guard(o.lock());
    const int margin = Button::Margin;
    o.button_box.rect = Draw::Y_Up_Rect(5, 5, width - 10, 2 * margin + Button::Height, height);
    o.cancel_button.rect = Draw::Y_Up_Rect(5 + margin, 5 + margin, width - 22, Button::Height, height);
    o.bar_box.rect = Draw::Y_Up_Rect(5, 48, width - 10, 14, height);
    Text::Layout(o.panel, Draw::Y_Up_Rect(5, 68, width - 10, height - 119, height), Panel_Background, Panel_Font_Size);
    o.caption_label.rect = Draw::Y_Up_Rect(5, height - 45, width - 10, 40, height);
}

void Progress_Widget::show_top_most() {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);  // re-parents the native window: show again
    show();
    raise();
}

void Progress_Widget::pointer_update(QPoint screen_position) { Draw::Pointer_Set(this, screen_position); }

bool Progress_Widget::event(QEvent* event) {
    Progress_Object& o = *object_;
    switch (static_cast<int>(event->type())) {
    case Window_Event::Caption:
        update(o.caption_label.rect);
        return true;
    case Window_Event::Bar:
        bar_post_.handled();
        if (!isMinimized()) update(o.bar_box.rect);
        return true;
    case Window_Event::Close:
        hide();
        deleteLater();
        return true;
    case Window_Event::Bar_Box:
        update(o.bar_box.rect);
        return true;
    case Window_Event::Lines:
        o.drain();
        return true;
    default:
        return QWidget::event(event);
    }
}

void Progress_Widget::resizeEvent(QResizeEvent*) {
    lay_out(width(), height());
    update();
}

void Progress_Widget::paintEvent(QPaintEvent*) {
    Progress_Object& o = *object_;
    QPainter painter(this);
    painter.fillRect(rect(), Frame_Background);
    std::lock_guard guard(o.lock());
    o.caption_label.label = QString::fromStdString(o.caption_text);
    o.caption_label.draw(painter);
    Text::Draw(o.panel, painter);
    o.bar_box.draw(painter);
    const QRect bar = o.bar_box.rect;
    painter.drawImage(bar.topLeft(), Bar_Image(bar.size(), o.position(), o.maximum(), Bar_Background));
    o.button_box.draw(painter);
    o.cancel_button.draw(painter);
}

void Progress_Widget::closeEvent(QCloseEvent* event) {
    // The window stays until the worker notices the flag and closes it.
    event->ignore();
    object_->cancel("closing...");
}

void Progress_Widget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    Progress_Object& o = *object_;
    std::lock_guard guard(o.lock());
    pointer_update(event->globalPosition().toPoint());
    if (o.cancel_button.hit()) {
        o.cancel_button.hover(2);
        o.cancel("cancel...");
        update(o.cancel_button.rect);
    }
    Text::Pointer(o.panel, 2);
}

void Progress_Widget::mouseReleaseEvent(QMouseEvent* event) {
    Progress_Object& o = *object_;
    std::lock_guard guard(o.lock());
    pointer_update(event->globalPosition().toPoint());
    if (o.cancel_button.hover(0)) update(o.cancel_button.rect);
    Text::Pointer(o.panel, 0);
}

void Progress_Widget::mouseMoveEvent(QMouseEvent* event) {
    Progress_Object& o = *object_;
    std::lock_guard guard(o.lock());
    pointer_update(event->globalPosition().toPoint());
    const bool dragging = event->buttons() & Qt::LeftButton;
    Text::Pointer(o.panel, dragging ? 1 : 0);
    if (o.cancel_button.hover(0)) update(o.cancel_button.rect);
}

void Progress_Widget::wheelEvent(QWheelEvent* event) {
    const int lines = Wheel_Lines(wheel_accumulator, event->angleDelta().y());
    if (lines == 0) return;
    std::lock_guard guard(object_->lock());
    Text::Scroll(object_->panel, lines);
}

Progress_Widget* Progress_Create_Window(QWidget* parent, const char* title, const char* caption) {
    const QRect frame = parent ? parent->frameGeometry() : QRect();
    const int x = std::max((frame.left() + frame.right()) / 2 - 200, frame.left());
    const int y = std::max((frame.top() + frame.bottom()) / 2 - 200, frame.top());
    Log_Message(parent, LOG_TRACE_1, "creating window: %d %d %s %08x", x, y, title,
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(parent)));

    auto* window = new Progress_Widget(parent, QString::fromUtf8(title ? title : ""));
    window->move(x, y);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    window->show();
    Progress_Object& object = window->object();
    {
        std::lock_guard guard(object.lock());
        object.caption_text = caption ? caption : "";
    }
    QCoreApplication::postEvent(window, new QEvent(Window_Event::Caption));
    return window;
}

Progress_Window* Progress_Create(QWidget* parent, const char* title, const char* caption) {
    return &Progress_Create_Window(parent, title, caption)->object();
}
