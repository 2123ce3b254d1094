#include "app/windows/console_window.h"

#include <QApplication>
#include <QPainter>
#include <QWheelEvent>
#include <cstdio>
#include <unistd.h>

#include "widgets/markup.h"

namespace {
const QColor Background = Qt_Colour(Console_Background);
}

Console_Window::Console_Window(const QString& title) {
    setWindowTitle(title);
    resize(Width, Height);
    Text::Set_Repaint_Request(panel_, [this] { repaint_post_.request(); });
    Text::Layout(panel_, rect(), Background);
}

Console_Window::~Console_Window() {
    if (pipe_write_ >= 0) {
        std::fflush(stdout);
        ::dup2(saved_stdout_, STDOUT_FILENO);
        ::close(pipe_write_);  // the reader sees the end of the pipe
        reader_.join();
        ::close(saved_stdout_);
    }
    Text::Set_Repaint_Request(panel_, {});
}

bool Console_Window::Needed() { return !::isatty(STDOUT_FILENO); }

void Console_Window::open() {
    if (pipe_write_ < 0) {
        int ends[2];
        if (::pipe(ends) != 0) return;
        std::fflush(stdout);
        saved_stdout_ = ::dup(STDOUT_FILENO);
        if (saved_stdout_ < 0 || ::dup2(ends[1], STDOUT_FILENO) < 0) {
            ::close(ends[0]);
            ::close(ends[1]);
            if (saved_stdout_ >= 0) ::close(saved_stdout_);
            saved_stdout_ = -1;
            return;
        }
        pipe_write_ = ends[1];
        std::setvbuf(stdout, nullptr, _IONBF, 0);  // lines appear as they are written
        reader_ = std::thread([this, from = ends[0]] { read_lines(from); });
    }
    show();
    raise();
}

// Reader thread: copies the bytes on and hands every complete line to the panel.
void Console_Window::read_lines(int from) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got <= 0) break;
        [[maybe_unused]] const ssize_t copied = ::write(saved_stdout_, buffer, static_cast<size_t>(got));
        pending.append(buffer, static_cast<size_t>(got));
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
            Text::Write(panel_, pending.substr(start, end - start).c_str());
        pending.erase(0, start);
    }
    if (!pending.empty()) Text::Write(panel_, pending.c_str());
    ::close(from);
}

bool Console_Window::event(QEvent* event) {
    if (event->type() == Window_Event::Repaint) {
        repaint_post_.paced([this] { update(); });
        return true;
    }
    return QWidget::event(event);
}

void Console_Window::resizeEvent(QResizeEvent*) { Text::Layout(panel_, rect(), Background); }

void Console_Window::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Text::Draw(panel_, painter);
}

void Console_Window::wheelEvent(QWheelEvent* event) {
    const int lines = wheel_.lines(event->angleDelta().y(), QApplication::wheelScrollLines());
    if (lines != 0) Text::Scroll(panel_, lines);
}
