#include "app/qt/progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cstdint>

#include "app/qt/accessibility.h"
#include "app/qt/draw_lock.h"
#include "app/qt/markup.h"
#include "app/qt/progress_bar.h"
#include "util/log.h"

namespace {

const QColor Caption_Colour = Qt_Colour(Caption_Background);
const QColor Panel_Background = Qt_Colour(Progress_Panel_Background);
const QColor Bar_Background = Qt_Colour(Progress_Bar_Background);
const QColor Frame_Background = Qt_Colour(Progress_Frame_Background);

}  // namespace

void Progress_Object::post(Progress_Event event) {
    switch (event) {
    case Progress_Event::Show:
        QMetaObject::invokeMethod(window_, [window = window_] { window->show_and_focus(); });
        return;
    case Progress_Event::Bar: window_->request_bar(); return;
    case Progress_Event::Count: window_->request_count(); return;
    case Progress_Event::Caption: QCoreApplication::postEvent(window_, new QEvent(Window_Event::Caption)); return;
    case Progress_Event::Lines: QCoreApplication::postEvent(window_, new QEvent(Window_Event::Lines)); return;
    case Progress_Event::Bar_Box: QCoreApplication::postEvent(window_, new QEvent(Window_Event::Bar_Box)); return;
    case Progress_Event::Close: QCoreApplication::postEvent(window_, new QEvent(Window_Event::Close)); return;
    }
}

Progress_Widget::Progress_Widget(QWidget* owner, const QString& title)
    // A dialog of its main window: transient for it, above it only, no box to maximise it.
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      object_(std::make_unique<Progress_Object>(this)) {
    setWindowTitle(title);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    Text::Set_Repaint_Request(object_->panel, [this] { repaint_post_.request(); });
    object_->cancel_button.label = QStringLiteral("Cancel");
    object_->caption_label.background = Caption_Colour;
    object_->caption_label.font_size = Progress_Caption_Font_Size;
    object_->bar_box.background = Bar_Background;
    object_->button_box.background = Frame_Background;
    resize(Width, Height);
    lay_out(Width, Height);
    Progress_Object& o = *object_;
    caption_part_ = Accessible_Label_Part(
        this,
        [&o] {
            std::lock_guard guard(o.lock());
            return QString::fromStdString(o.caption_text);
        },
        [&o] { return o.caption_label.rect; });
    lines_part_ = Accessible_Text_Part(this, o.panel, Accessible_Progress_Lines_Name, false);
    bar_part_ = Accessible_Bar_Part(this, o, [&o] { return o.bar_box.rect; });
    cancel_part_ = Accessible_Button_Part(this, Accessible_Cancel_Name, [&o] { return o.cancel_button.rect; },
                                          [&o] { o.cancel(Progress_Cancel_Note); });
}

Progress_Widget::~Progress_Widget() {
    // Before the object they read goes.
    for (Accessible_Part* part : {caption_part_, lines_part_, bar_part_, cancel_part_}) delete part;
}

// Qt scales the whole window with the desktop: laid out at 96 dots per inch.
void Progress_Widget::lay_out(int width, int height) {
    Progress_Object& o = *object_;
    std::lock_guard guard(o.lock());
    const Progress_Layout layout = Progress_Lay_Out(width, height, 96);
    o.button_box.rect = Qt_Rect(layout.button_box);
    o.cancel_button.rect = Qt_Rect(layout.cancel);
    o.bar_box.rect = Qt_Rect(layout.bar_box);
    Text::Layout(o.panel, Qt_Rect(layout.panel), Panel_Background, Progress_Panel_Font_Size);
    o.caption_label.rect = Qt_Rect(layout.caption);
}

void Progress_Widget::show_and_focus() {
    show();
    raise();
    activateWindow();  // Esc, Enter and Space reach Cancel at once
}

void Progress_Widget::pointer_update(QPoint screen_position) { Draw::Pointer_Set(this, screen_position); }

bool Progress_Widget::event(QEvent* event) {
    Progress_Object& o = *object_;
    Text_Target panel(o.panel);
    switch (static_cast<int>(event->type())) {
    case Window_Event::Caption:
        update(o.caption_label.rect);
        return true;
    case Window_Event::Bar:
        bar_post_.paced([this] {
            Text_Target target(object_->panel);
            object_->show_reading(target);
            if (!isMinimized()) update(object_->bar_box.rect);
            Accessible_Value_Changed(bar_part_);
        });
        return true;
    case Window_Event::Repaint:
        repaint_post_.paced([this] {
            update(Text::Area(object_->panel));
            Accessible_Text_Changed(lines_part_);
        });
        return true;
    case Window_Event::Count:
        count_post_.paced([this] {
            Text_Target target(object_->panel);
            object_->show_count(target);
        });
        return true;
    case Window_Event::Close:
        hide();
        deleteLater();
        return true;
    case Window_Event::Bar_Box:
        update(o.bar_box.rect);
        return true;
    case Window_Event::Lines:
        o.drain(panel);
        return true;
    default:
        return QWidget::event(event);
    }
}

void Progress_Widget::resizeEvent(QResizeEvent*) {
    lay_out(width(), height());
    update();
}

void Progress_Widget::paintEvent(QPaintEvent* event) {
    Progress_Object& o = *object_;
    QPainter painter(this);
    // Only the parts asked for are drawn: the bar moves more often than the lines, and laying
    // out the lines is most of a paint.
    const QRegion& asked = event->region();
    painter.fillRect(rect(), Frame_Background);  // clipped to what was asked
    std::lock_guard guard(o.lock());
    if (asked.intersects(o.caption_label.rect)) {
        o.caption_label.label = QString::fromStdString(o.caption_text);
        o.caption_label.draw(painter);
    }
    if (asked.intersects(Text::Area(o.panel))) Text::Draw(o.panel, painter);
    if (asked.intersects(o.bar_box.rect)) {
        o.bar_box.draw(painter);
        const QRect bar = o.bar_box.rect;
        // Drawn in device pixels, so that the rod stays smooth on a scaled desktop.
        const qreal scale = devicePixelRatioF();
        QImage picture = Bar_Image(bar.size() * scale, o.position(), o.maximum(), Bar_Background);
        picture.setDevicePixelRatio(scale);
        painter.drawImage(bar.topLeft(), picture);
    }
    if (asked.intersects(o.button_box.rect) || asked.intersects(o.cancel_button.rect)) {
        o.button_box.draw(painter);
        o.cancel_button.focused = hasFocus();
        o.cancel_button.draw(painter);
    }
}

void Progress_Widget::keyPressEvent(QKeyEvent* event) {
    if (!Progress_Key_Cancels(Key_Code(*event))) return QWidget::keyPressEvent(event);
    object_->cancel(Progress_Cancel_Note);
}

void Progress_Widget::focusInEvent(QFocusEvent*) {
    update(object_->cancel_button.rect);
    Accessible_Focused(cancel_part_);  // the keys go to Cancel
}
void Progress_Widget::focusOutEvent(QFocusEvent*) { update(object_->cancel_button.rect); }

void Progress_Widget::closeEvent(QCloseEvent* event) {
    // The window stays until the worker notices the flag and closes it.
    event->ignore();
    object_->cancel(Progress_Closing_Note);
}

void Progress_Widget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    Progress_Object& o = *object_;
    std::lock_guard guard(o.lock());
    pointer_update(event->globalPosition().toPoint());
    if (o.cancel_button.hit()) {
        o.cancel_button.hover(2);
        o.cancel(Progress_Cancel_Note);
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
    const int lines = wheel_.lines(event->angleDelta().y(), QApplication::wheelScrollLines());
    if (lines == 0) return;
    std::lock_guard guard(object_->lock());
    Text::Scroll(object_->panel, lines);
}

Progress_Widget* Progress_Create_Window(QWidget* parent, const char* title, const char* caption) {
    const QRect frame = parent ? parent->frameGeometry() : QRect();
    const auto [x, y] = Progress_Place(frame.left(), frame.top(), frame.right(), frame.bottom(),
                                       Progress_Widget::Width, Progress_Widget::Height);
    Log_Message(parent, LOG_TRACE_1, "creating window: %d %d %s %08x", x, y, title,
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(parent)));

    auto* window = new Progress_Widget(parent, QString::fromUtf8(title ? title : ""));
    window->move(x, y);
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
