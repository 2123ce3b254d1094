// One pending request of a kind at a time: further requests are dropped until the window has
// handled the pending one, so a burst of writes from the worker costs one posted message and
// one paint. Each toolkit posts in its own way.
#pragma once

#include <atomic>
#include <functional>

class Coalesced_Request {
public:
    // What a busy worker updates is drawn at most this often: paints beyond what the eye
    // follows would take the processor from the conversion.
    static constexpr int Pace_Ms = 40;

    explicit Coalesced_Request(std::function<void()> post) : post_(std::move(post)) {}
    // Any thread.
    void request() {
        if (!pending_.exchange(true)) post_();
    }
    // GUI thread, when the message arrives (before acting on it, so later requests post again).
    void handled() { pending_.store(false); }

private:
    std::function<void()> post_;
    std::atomic<bool> pending_{false};
};
