#include "app/ui/progress_feed.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "app/ui/progress_text.h"

void Progress_Feed::show() {
    shown_.store(true);
    post(Progress_Event::Show);
}

void Progress_Feed::text(const char* line) {
    bool first = false;
    {
        std::unique_lock guard(lock_);
        for (int waits = 0; queue_count_ == Queue_Slots; ++waits) {
            if (waits == Queue_Waits || abandoned_.load()) return;  // the line is lost
            drained_.wait_for(guard, std::chrono::milliseconds(Queue_Wait_Ms));
        }
        first = queue_count_ == 0;
        std::string& slot = queue_[static_cast<std::size_t>(queue_count_++)];
        slot.assign(line ? line : "");
        if (slot.size() >= Line_Size) slot.resize(Line_Size - 1);
    }
    // While lines wait, the event posted for the first of them drains them all: a folder's
    // lines cost the window one wake-up, not one each.
    if (first) post(Progress_Event::Lines);
}

void Progress_Feed::set(int value) {
    position_.store(std::clamp(value, 0, std::max(0, maximum_.load())));
    post(Progress_Event::Bar);
}

void Progress_Feed::add(int delta) {
    const int64_t sum = static_cast<int64_t>(position_.load()) + delta;  // no overflow near INT_MAX
    position_.store(static_cast<int>(std::clamp<int64_t>(sum, 0, std::max(0, maximum_.load()))));
    post(Progress_Event::Bar);
}

void Progress_Feed::range(int maximum) {
    maximum_.store(maximum);
    post(Progress_Event::Bar_Box);
}

void Progress_Feed::close() { post(Progress_Event::Close); }

void Progress_Feed::counted(int files) {
    counted_.fetch_add(files);
    post(Progress_Event::Count);
}

int Progress_Feed::queued() const {
    std::lock_guard guard(lock_);
    return queue_count_;
}

void Progress_Feed::cancel(Panel_Target& panel, const char* note) {
    std::lock_guard guard(lock_);
    cancel_.store(true);
    insert(panel, note);
}

void Progress_Feed::abandon() {
    abandoned_.store(true);
    cancel_.store(true);
    drained_.notify_all();
}

void Progress_Feed::insert(Panel_Target& panel, const char* line) {
    if (live_.empty() || panel.last_line() != live_) {
        live_.clear();  // no live line at the end of the panel any more
        panel.write(line);
        return;
    }
    panel.overwrite(line);
    panel.write(live_.c_str());
}

void Progress_Feed::drain(Panel_Target& panel) {
    std::lock_guard guard(lock_);
    for (int i = 0; i < queue_count_; ++i) insert(panel, queue_[static_cast<std::size_t>(i)].c_str());
    queue_count_ = 0;
    drained_.notify_all();
}

void Progress_Feed::show_count(Panel_Target& panel) {
    std::lock_guard guard(lock_);
    if (maximum_.load() != 0 || !panel.last_line().starts_with(Counting_Line)) return;
    panel.overwrite(Counting_Line_With(counted_.load()).c_str());
}

void Progress_Feed::show_reading(Panel_Target& panel) {
    std::lock_guard guard(lock_);
    if (maximum_.load() <= 0) return;
    const std::string line = Reading_Line(position_.load(), maximum_.load());
    if (line == live_ && panel.last_line() == live_) return;
    if (!live_.empty() && panel.last_line() == live_) panel.overwrite(line.c_str());
    else panel.write(line.c_str());
    live_ = line;
}
