// The count of files before a conversion from a window, which sizes its progress bar.
//
// Listing folders is nearly all the system's work, and the read-ahead helpers' core is idle
// while it runs: two threads share the folders still to be listed, in no particular order.
#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "dirscan/walk.h"

namespace {

class Count_Work {
public:
    Count_Work(const std::string& root, Progress_Window* progress) : progress_(progress) { folders_.push_back(root); }

    // Lists folders until none is left and no other thread can find more.
    void run() {
        for (;;) {
            std::string folder;
            {
                std::unique_lock guard(lock_);
                more_.wait(guard, [this] { return !folders_.empty() || listing_ == 0; });
                if (folders_.empty()) return;
                folder = std::move(folders_.back());
                folders_.pop_back();
                ++listing_;
            }
            std::vector<std::string> found;
            if (!Progress_Cancelled(progress_)) count(folder, found);
            {
                std::lock_guard guard(lock_);
                for (std::string& path : found) folders_.push_back(std::move(path));
                --listing_;
            }
            more_.notify_all();
        }
    }

    long long files() const { return files_.load(); }

private:
    void count(const std::string& folder, std::vector<std::string>& found) {
        // Counted, not listed in order: the window only hears how far the count has got.
        Dir_List dirs;
        std::size_t listed = 0;
        Directory_Tally(folder, dirs, listed);
        for (Dir_Entry& entry : dirs)
            if (Kestrapol_Folder_Entered(entry)) found.push_back(std::move(entry.File));
        const std::size_t files = std::min<std::size_t>(listed, INT_MAX);
        if (files == 0) return;
        files_ += static_cast<long long>(files);
        Progress_Counted(progress_, static_cast<int>(files));
    }

    Progress_Window* const progress_;
    std::mutex lock_;
    std::condition_variable more_;
    std::vector<std::string> folders_;  // found, not yet listed
    int listing_ = 0;                   // threads listing a folder, which may find more
    std::atomic<long long> files_{0};
};

}  // namespace

int Kestrapol_Count(const std::string& path, Progress_Window* progress) {
    if (Progress_Cancelled(progress)) return 0;
    if (!Directory_Exist(path)) return 1;
    Count_Work work(path, progress);
    {
        std::jthread second;
        try {
            second = std::jthread([&work] { work.run(); });
        } catch (const std::system_error&) {
            // Out of threads: this one counts alone.
        }
        work.run();
    }
    if (Progress_Cancelled(progress)) return 0;
    return static_cast<int>(std::min<long long>(work.files(), INT_MAX));
}
