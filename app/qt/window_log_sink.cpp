#include "app/qt/window_log_sink.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "app/qt/main_widget.h"
#include "app/qt/markup.h"

namespace {

int show_box(Main_Widget& owner, const char* caption, const char* text, Box_Icon icon) {
    const QString title = Markup_Plain_Text(caption);
    const QString body = Markup_Plain_Text(text);
    switch (icon) {
    case Box_Icon::Question:
        return QMessageBox::question(&owner, title, body, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes ? 1 : 0;
    case Box_Icon::Information:
        QMessageBox::information(&owner, title, body);
        return 1;
    case Box_Icon::Warning:
        QMessageBox::warning(&owner, title, body);
        return 1;
    case Box_Icon::Error:
        QMessageBox::critical(&owner, title, body);
        return 1;
    }
    return 1;
}

}  // namespace

Window_Log_Sink::Window_Log_Sink(Main_Widget& window)
    : window_(window),
      relay_([&window](const char* caption, const char* text, Box_Icon icon) { return show_box(window, caption, text, icon); },
             [this] { QMetaObject::invokeMethod(&window_, [this] { relay_.serve(); }, Qt::QueuedConnection); }) {}

void Window_Log_Sink::panel_write(const char* raw_text) { Text::Write(window_.panel(), raw_text); }

void Window_Log_Sink::panel_overwrite(const char* raw_text) { Text::OverWrite(window_.panel(), raw_text); }

void Window_Log_Sink::thread_line_posted(Win_Handle) {
    QCoreApplication::postEvent(&window_, new QEvent(Window_Event::Thread_Ring));
}

int Window_Log_Sink::box(Win_Handle, const char* caption, const char* text, Box_Icon icon) {
    return relay_.ask(caption, text, icon);
}
