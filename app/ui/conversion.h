// The busy rule and the worker of a conversion, a check or a media copy, as every window set runs
// them: one at a time (the conversion state is process-wide), a refused drop says so, and the
// results of every folder handled since the window opened stay available.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/ui/results.h"
#include "util/log.h"

class Conversion {
public:
    struct Hooks {
        // GUI thread: creates the progress window for a run; nullptr runs without one.
        std::function<Progress_Window*()> open_progress;
        // Worker thread: a result was added.
        std::function<void()> results_changed;
        // GUI thread once a run has started, worker thread once it has ended: running() changed.
        std::function<void()> busy_changed;
        // GUI thread: a line for the panel of the running job's progress window, if it still has one.
        std::function<void(const char* line)> progress_line;
        // Worker thread: the run has ended (running() is false), after seconds.
        std::function<void(double seconds)> finished;
    };

    Conversion(Win_Handle window, Hooks hooks) : window_(window), hooks_(std::move(hooks)) {}
    // Waits for a running worker; the window cancels it first (through its progress window).
    ~Conversion() { wait(); }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    // Converts the paths as one drop: the "Scanning" line, the progress window and the worker.
    // False when refused because a conversion is running, or when the worker cannot start.
    bool start(const std::vector<std::string>& paths);
    // Checks the DICOMDIR of each folder on the worker under the same busy rule; each folder
    // gets a result row, its problems go to the panel.
    bool start_check(const std::vector<std::string>& paths);
    // Copies the DICOM files below sources into destination as copy mode does, on the worker
    // with the progress window, under the same busy rule; the copy gets one result row.
    bool start_copy(const std::vector<std::string>& sources, const std::string& destination);
    bool running() const { return running_.load(); }
    // True, with the "BUSY:" line in the panel and the progress window, while one runs.
    bool refused_busy();
    // Blocks until the worker, if any, has ended.
    void wait();

    std::vector<Folder_Result> results() const;
    std::size_t result_count() const;
    // The batch exit code of the folders converted since the window opened, joined by the
    // copies' codes (checks do not count); 0 when none was.
    int exit_code() const;

private:
    void add_result(Folder_Result result);
    // Runs job on the worker; false (reported) when the thread cannot start.
    bool launch(std::function<void()> job, const char* what, Progress_Window* progress);
    // The worker's last step: no longer running, and the window told.
    void end_run(std::chrono::steady_clock::time_point started);

    Win_Handle window_;
    Hooks hooks_;
    std::thread worker_;
    std::atomic<bool> running_{false};
    mutable std::mutex results_lock_;
    std::vector<Folder_Result> results_;
    std::vector<Folder_Outcome> converted_;  // under results_lock_
    std::vector<int> copy_codes_;            // under results_lock_
};
