#include "dirscan/read_ahead.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "dicom/byte_source.h"
#include "dirscan/tree.h"

namespace {

constexpr std::size_t Read_Buffer_Size = 16 * 1024;

int default_read_threads() {
    if (const char* wanted = std::getenv("KRT")) return std::atoi(wanted);  // EXPERIMENT
    const unsigned processors = std::thread::hardware_concurrency();
    return processors > 1 ? static_cast<int>(std::min(processors - 1, 3u)) : 0;
}

Read_Result read_file(Win_Handle window, const std::string& path, const std::vector<uint32_t>& keys) {
    Read_Result result;
    Log_Capture capture(result.messages);
    thread_local File_Source source(Read_Buffer_Size);
    struct Closer {
        File_Source& source;
        ~Closer() { source.close(); }
    } closer{source};
    result.prefix = DICOMDIR_Scan_Open(path, source);
    if (result.prefix == Scan_Prefix::Unreadable) {
        result.error = errno;
        result.opened = source.is_open();
    } else if (result.prefix == Scan_Prefix::DICOM) {
        // Only what the tree takes crosses to the walk's thread; the rest is recycled here.
        if (std::optional<DICOM_Tag_List> set = DICOMDIR_Scan_Read(window, path, source)) {
            result.set = Kestrapol_Image_Part(*set, keys);
            DICOMDIR_Scan_Recycle(std::move(*set));
        }
    }
    return result;
}

}  // namespace

int Kestrapol_Read_Threads = default_read_threads();

Read_Ahead::Read_Ahead(Win_Handle window, int threads) : window_(window), keys_(Kestrapol_Image_Keys()) {
    const int count = std::max(threads, 0);
    helpers_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) helpers_.emplace_back([this] { work(); });
}

Read_Ahead::~Read_Ahead() {
    {
        std::lock_guard guard(lock_);
        stop_ = true;
    }
    room_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
}

bool Read_Ahead::has_work() const { return next_ < paths_.size() && next_ < wanted_ + Window; }

void Read_Ahead::read_run(std::unique_lock<std::mutex>& guard) {
    // A run of files per turn: every hand-over between threads costs a wake-up.
    const std::size_t first = next_;
    const std::size_t count = std::min(Run, paths_.size() - first);
    next_ += count;
    std::vector<std::string> paths(paths_.begin() + static_cast<std::ptrdiff_t>(first),
                                   paths_.begin() + static_cast<std::ptrdiff_t>(first + count));
    ++busy_;
    guard.unlock();

    std::vector<Read_Result> read(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!paths[i].empty()) read[i] = read_file(window_, paths[i], keys_);
    }

    guard.lock();
    --busy_;
    // finish() waits for busy_ to drop to 0, so the list read from is still the current one.
    for (std::size_t i = 0; i < count; ++i) results_[first + i] = std::move(read[i]);
    if (waiting_) done_.notify_all();
}

void Read_Ahead::work() {
    std::unique_lock guard(lock_);
    for (;;) {
        ++idle_;
        room_.wait(guard, [this] { return stop_ || has_work(); });
        --idle_;
        if (stop_) return;
        read_run(guard);
    }
}

void Read_Ahead::start(std::vector<std::string> paths) {
    finish();
    std::lock_guard guard(lock_);
    paths_ = std::move(paths);
    results_.clear();
    results_.resize(paths_.size());
    next_ = 0;
    wanted_ = 0;
    if (idle_ > 0) room_.notify_all();
}

Read_Result Read_Ahead::take(std::size_t index) {
    std::unique_lock guard(lock_);
    if (index >= results_.size()) return {};
    wanted_ = index;
    if (idle_ > 0 && has_work()) room_.notify_all();
    // The walk's thread reads too rather than wait, as long as there are files to read.
    while (!results_[index].has_value()) {
        if (has_work()) {
            read_run(guard);
            continue;
        }
        ++waiting_;
        done_.wait(guard, [&] { return results_[index].has_value() || has_work(); });
        --waiting_;
    }
    Read_Result result = std::move(*results_[index]);
    results_[index].reset();
    wanted_ = index + 1;
    return result;
}

void Read_Ahead::finish() {
    std::unique_lock guard(lock_);
    next_ = paths_.size();  // nothing more is started
    ++waiting_;
    done_.wait(guard, [this] { return busy_ == 0; });
    --waiting_;
    paths_.clear();
    results_.clear();
    next_ = wanted_ = 0;
}

void Read_Ahead::recycle(DICOM_Tag_List&& set) {
    // Cleared by the helper that reuses it, on its own processor.
    std::lock_guard guard(lock_);
    if (spare_sets_.size() < 2 * helpers_.size() + 2) spare_sets_.push_back(std::move(set));
}
