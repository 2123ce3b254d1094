// The progress window's state, shared by the toolkits: the line queue, the bar's position and
// maximum, the cancel flag, the running file count and the live lines of its panel.
//
// The worker feeds it through the Progress_Window calls, which store values and ask the
// toolkit to post an event; the toolkit's window handles the events on its own thread and
// writes into its panel through a Panel_Target. Whatever the toolkit draws under the object
// lock, it takes before its drawing lock.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "dirscan/progress.h"

// What the progress logic needs of a toolkit's text panel.
class Panel_Target {
public:
    virtual ~Panel_Target() = default;
    virtual void write(const char* line) = 0;
    virtual void overwrite(const char* line) = 0;  // replaces the last line
    virtual std::string last_line() const = 0;
};

// The events a progress window posts to itself (the toolkit picks the message numbers).
enum class Progress_Event {
    Caption,  // redraw the caption label
    Show,     // make the window top-most and visible
    Lines,    // write the queued lines (Progress_Feed::drain)
    Bar,      // draw the bar; a burst of them may be coalesced into one
    Bar_Box,  // redraw the bar box
    Close,    // destroy the window
    Count,    // show the running count (Progress_Feed::show_count); may be coalesced
};

class Progress_Feed : public Progress_Window {
public:
    static constexpr int Queue_Slots = 20;
    static constexpr int Queue_Waits = 11;  // waits of Queue_Wait_Ms before a line is dropped
    static constexpr int Queue_Wait_Ms = 500;
    static constexpr std::size_t Line_Size = 2048;

    // Worker side (any thread).
    void show() override;
    void text(const char* line) override;
    void set(int value) override;
    void add(int delta) override;
    void range(int maximum) override;
    bool cancelled() const override { return cancel_.load(); }
    void close() override;
    void counted(int files) override;

    // Window side.
    int position() const { return position_.load(); }
    int maximum() const { return maximum_.load(); }
    long long counted_files() const { return counted_.load(); }
    bool shown() const { return shown_.load(); }
    int queued() const;
    // Sets the cancel flag and writes the note (such as "cancel...") to the panel.
    void cancel(Panel_Target& panel, const char* note);
    // At shutdown: cancel, and stop making senders wait for a window that no longer drains.
    void abandon();
    // Writes the queued lines to the panel in arrival order and empties the queue.
    void drain(Panel_Target& panel);
    // The counting line, when it is the panel's last line, shows the running count.
    void show_count(Panel_Target& panel);
    // Once a range is set, the panel's last line shows "n of N files" and stays last.
    void show_reading(Panel_Target& panel);
    std::recursive_mutex& lock() { return lock_; }  // the object lock

protected:
    virtual void post(Progress_Event event) = 0;

private:
    // Writes a line above the live reading line, which stays last.
    void insert(Panel_Target& panel, const char* line);

    mutable std::recursive_mutex lock_;
    std::condition_variable_any drained_;
    std::array<std::string, Queue_Slots> queue_;
    int queue_count_ = 0;
    std::string live_;  // the live reading line as last written; empty while there is none
    std::atomic<int> position_{0};
    std::atomic<int> maximum_{0};
    std::atomic<long long> counted_{0};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> shown_{false};
    std::atomic<bool> abandoned_{false};
};
