// Boxes asked for on any thread, shown by the GUI thread: a worker that asks waits until the
// GUI thread has shown the box and the user has answered. At shutdown every waiting box gets
// its default answer (No for a question), and no further box is shown for other threads.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "util/log_sink.h"

class Box_Relay {
public:
    // Shows a box on the GUI thread and returns its answer (markup still in the texts).
    using Show = std::function<int(const char* caption, const char* text, Box_Icon icon)>;
    // Asks the GUI thread (from any thread) to call serve() soon.
    using Wake = std::function<void()>;

    // Made on the GUI thread.
    Box_Relay(Show show, Wake wake) : show_(std::move(show)), wake_(std::move(wake)), gui_(std::this_thread::get_id()) {}
    ~Box_Relay() { shut_down(); }

    // Any thread: on the GUI thread the box is shown at once, elsewhere the caller waits.
    int ask(const char* caption, const char* text, Box_Icon icon);
    // GUI thread: shows the boxes that wait, in the order they were asked for.
    void serve();
    // Answers every waiting box with its default and refuses further requests from other threads.
    void shut_down();

    static int Default_Answer(Box_Icon icon) { return icon == Box_Icon::Question ? 0 : 1; }

private:
    struct Request {
        std::string caption, text;
        Box_Icon icon;
        bool shown = false;
        bool done = false;
        int answer = 0;
    };

    Show show_;
    Wake wake_;
    std::thread::id gui_;
    std::mutex lock_;
    std::condition_variable answered_;
    std::deque<std::shared_ptr<Request>> waiting_;
    bool shut_down_ = false;
};
