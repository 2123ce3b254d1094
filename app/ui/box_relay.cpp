#include "app/ui/box_relay.h"

#include <algorithm>

int Box_Relay::ask(const char* caption, const char* text, Box_Icon icon) {
    if (std::this_thread::get_id() == gui_) return show_(caption ? caption : "", text ? text : "", icon);
    auto request = std::make_shared<Request>(Request{caption ? caption : "", text ? text : "", icon});
    {
        std::lock_guard guard(lock_);
        if (shut_down_) return Default_Answer(icon);
        waiting_.push_back(request);
    }
    wake_();
    std::unique_lock guard(lock_);
    answered_.wait(guard, [&] { return request->done; });
    return request->answer;
}

void Box_Relay::serve() {
    for (;;) {
        std::shared_ptr<Request> request;
        {
            std::lock_guard guard(lock_);
            const auto next = std::find_if(waiting_.begin(), waiting_.end(), [](const auto& r) { return !r->shown; });
            if (next == waiting_.end()) return;
            request = *next;
            request->shown = true;
        }
        const int answer = show_(request->caption.c_str(), request->text.c_str(), request->icon);
        std::lock_guard guard(lock_);
        if (!request->done) {  // else shut_down answered it meanwhile
            request->done = true;
            request->answer = answer;
        }
        waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), request), waiting_.end());
        answered_.notify_all();
    }
}

void Box_Relay::shut_down() {
    std::lock_guard guard(lock_);
    shut_down_ = true;
    for (const auto& request : waiting_) {
        request->done = true;
        request->answer = Default_Answer(request->icon);
    }
    waiting_.clear();
    answered_.notify_all();
}
