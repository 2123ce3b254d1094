#include "app/qt/console_window.h"

#include <QApplication>
#include <QPainter>
#include <QWheelEvent>

#include "app/qt/markup.h"

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
    tee_.restore();  // the reader comes to the end of the pipe
    if (reader_.joinable()) reader_.join();
    Text::Set_Repaint_Request(panel_, {});
}

bool Console_Window::Needed() { return !Stream_Is_Terminal(stdout); }

void Console_Window::open() {
    if (!tee_.started() && tee_.start()) reader_ = std::thread([this] { read_lines(); });
    show();
    raise();
}

// Reader thread: hands every complete line to the panel.
void Console_Window::read_lines() {
    std::string pending;
    char buffer[4096];
    while (const std::size_t got = tee_.read(buffer, sizeof buffer)) {
        pending.append(buffer, got);
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
            Text::Write(panel_, pending.substr(start, end - start).c_str());
        pending.erase(0, start);
    }
    if (!pending.empty()) Text::Write(panel_, pending.c_str());
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
