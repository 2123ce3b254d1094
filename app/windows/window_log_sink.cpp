#include "app/windows/window_log_sink.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>
#include <algorithm>
#include <string>

#include "app/windows/main_widget.h"
#include "widgets/markup.h"

struct Window_Log_Sink::Box_Request {
    std::string caption;
    std::string text;
    Box_Icon icon;
    bool done = false;
    int answer = 0;
};

namespace {
int default_answer(Box_Icon icon) { return icon == Box_Icon::Question ? 0 : 1; }
}  // namespace

void Window_Log_Sink::panel_write(const char* raw_text) { Text::Write(window_.panel(), raw_text); }

void Window_Log_Sink::panel_overwrite(const char* raw_text) { Text::OverWrite(window_.panel(), raw_text); }

void Window_Log_Sink::thread_line_posted(Win_Handle) {
    QCoreApplication::postEvent(&window_, new QEvent(Window_Event::Thread_Ring));
}

int Window_Log_Sink::show_box(Main_Widget& owner, const char* caption, const char* text, Box_Icon icon) {
    const QString title = Markup_Plain_Text(caption ? caption : "");
    const QString body = Markup_Plain_Text(text ? text : "");
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

int Window_Log_Sink::box(Win_Handle, const char* caption, const char* text, Box_Icon icon) {
    if (QThread::currentThread() == window_.thread()) return show_box(window_, caption, text, icon);

    auto request = std::make_shared<Box_Request>(Box_Request{caption ? caption : "", text ? text : "", icon});
    {
        std::lock_guard guard(lock_);
        if (shut_down_) return default_answer(icon);
        waiting_.push_back(request);
    }
    QMetaObject::invokeMethod(&window_, [this, request] {
        {
            std::lock_guard guard(lock_);
            if (request->done) return;  // answered by shut_down meanwhile
        }
        answer(request, show_box(window_, request->caption.c_str(), request->text.c_str(), request->icon));
    }, Qt::QueuedConnection);

    std::unique_lock guard(lock_);
    answered_.wait(guard, [&] { return request->done; });
    return request->answer;
}

void Window_Log_Sink::answer(const std::shared_ptr<Box_Request>& request, int answer) {
    std::lock_guard guard(lock_);
    if (!request->done) {
        request->done = true;
        request->answer = answer;
    }
    waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), request), waiting_.end());
    answered_.notify_all();
}

void Window_Log_Sink::shut_down() {
    std::lock_guard guard(lock_);
    shut_down_ = true;
    for (const auto& request : waiting_) {
        request->done = true;
        request->answer = default_answer(request->icon);
    }
    waiting_.clear();
    answered_.notify_all();
}
