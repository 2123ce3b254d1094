#include "dirscan/read_ahead.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>
#include <utility>

#include "dicom/byte_source.h"
#include "dirscan/tree.h"
#include "util/platform_system.h"

namespace {

// Under a small address-space limit the walk reads alone: every helper would reserve a heap
// arena and a stack of its own (tens of MB of address space), and a thread whose storage the C
// library cannot register ends the whole process instead of failing with a memory error.
constexpr uint64_t Least_Address_Space_For_Helpers = uint64_t{2} << 30;

int default_read_threads() {
    const uint64_t limit = Address_Space_Limit();
    if (limit != 0 && limit < Least_Address_Space_For_Helpers) return 0;
    const unsigned processors = std::thread::hardware_concurrency();
    return processors > 1 ? static_cast<int>(std::min(processors - 1, 3u)) : 0;
}

thread_local Thread_File_Source helper_source;

// part: storage for the data set handed over.
Read_Result read_file(Win_Handle window, const Dir_Entry& file, int folder, const std::vector<uint32_t>& keys,
                      DICOM_Tag_List&& part) {
    const std::string& path = file.File;
    Read_Result result;
    Log_Capture capture(result.messages);
    File_Source& source = helper_source.get();
    struct Closer {
        File_Source& source;
        ~Closer() { source.close(); }
    } closer{source};
    result.prefix = DICOMDIR_Scan_Open(path, source, folder, file.Name);
    if (result.prefix == Scan_Prefix::Unreadable) {
        result.error = errno;
        result.opened = source.is_open();
    } else if (result.prefix == Scan_Prefix::DICOM) {
        // Only what the tree takes crosses to the walk's thread; the rest is recycled here.
        if (std::optional<DICOM_Tag_List> set = DICOMDIR_Scan_Read(window, path, source, &keys)) {
            Kestrapol_Image_Part(*set, keys, part);
            result.set = std::move(part);
            DICOMDIR_Scan_Recycle(std::move(*set));
        }
    }
    return result;
}

}  // namespace

int Kestrapol_Read_Threads = default_read_threads();

Read_Ahead::Read_Ahead(Win_Handle window, int threads, std::vector<uint32_t> keys)
    : window_(window), keys_(std::move(keys)) {
    const int count = std::max(threads, 0);
    helpers_.reserve(static_cast<std::size_t>(count));
    try {
        for (int i = 0; i < count; ++i) helpers_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
        // Out of threads: the walk reads the files the helpers would have.
    }
    // Each helper makes its thread's storage now, before the walk takes memory: the C library
    // ends the process when it cannot, which a helper starting late in a run short of memory met.
    std::unique_lock guard(lock_);
    done_.wait(guard, [this] { return started_ == helpers_.size(); });
}

Read_Ahead::~Read_Ahead() {
    {
        std::lock_guard guard(lock_);
        stop_ = true;
    }
    room_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
}

Read_Ahead::List_Job* Read_Ahead::job_with_work() const {
    if (current_ && current_->has_work()) return current_.get();
    // The next folder's files are read only once every file of the current one is read, or
    // being read.
    if (queued_ && queued_->has_work() && (!current_ || current_->next >= current_->files->size()))
        return queued_.get();
    return nullptr;
}

void Read_Ahead::read_run(std::unique_lock<std::mutex>& guard, List_Job& job) {
    // A run of files per turn: every hand-over between threads costs a wake-up. Near the list's
    // end runs shrink, so that no thread is left reading a long last run while the others wait.
    const std::size_t first = job.next;
    const std::size_t remaining = job.files->size() - first;
    const std::size_t count = std::clamp(remaining / (2 * (helpers_.size() + 1)), std::size_t{1}, Run);
    job.next += count;
    // The last run of the current list opens the queued one to the helpers.
    if (job.next == job.files->size() && &job == current_.get() && queued_ && idle_ > 0) room_.notify_all();
    std::vector<DICOM_Tag_List> parts;
    std::vector<Read_Result> read;
    std::exception_ptr failure;
    ++job.busy;
    guard.unlock();
    // Whatever reading throws (out of memory) is handed to the walk with the run's results:
    // busy drops in any case, so that settle() does not wait for ever.
    try {
        read.resize(count);
        parts.resize(count);
        {
            std::lock_guard spare(lock_);
            for (std::size_t i = 0; i < count && !spare_sets_.empty(); ++i) {
                parts[i] = std::move(spare_sets_.back());
                spare_sets_.pop_back();
            }
        }
        // The list and its marks stay as they are until the job is dropped, which waits for
        // busy to drop.
        for (std::size_t i = 0; i < count; ++i) {
            if (!job.skip[first + i])
                read[i] = read_file(window_, (*job.files)[first + i], job.folder, keys_, std::move(parts[i]));
        }
    } catch (...) {
        failure = std::current_exception();
    }

    guard.lock();
    --job.busy;
    for (std::size_t i = 0; i < count; ++i) {
        if (failure) job.results[first + i].emplace().failure = failure;
        else job.results[first + i] = std::move(read[i]);
    }
    if (waiting_) done_.notify_all();
}

void Read_Ahead::work() {
    // The thread's own storage, made while there is memory for it; without it the walk reads
    // the files itself, as without helpers.
    bool prepared = true;
    try {
        helper_source.get();
        DICOMDIR_Scan_Thread_Prepare();
    } catch (const std::bad_alloc&) {
        prepared = false;
    }
    std::unique_lock guard(lock_);
    ++started_;
    done_.notify_all();
    if (!prepared) return;
    for (;;) {
        ++idle_;
        room_.wait(guard, [this] { return stop_ || job_with_work() != nullptr; });
        --idle_;
        if (stop_) return;
        read_run(guard, *job_with_work());
    }
}

std::unique_ptr<Read_Ahead::List_Job> Read_Ahead::make_job(const Dir_List& files, std::vector<bool> skip,
                                                           int folder) {
    auto job = std::make_unique<List_Job>();
    job->files = &files;
    job->skip = std::move(skip);
    job->folder = folder;
    job->results.resize(files.size());
    return job;
}

void Read_Ahead::settle(std::unique_lock<std::mutex>& guard, List_Job& job) {
    job.next = job.files->size();  // nothing more is started
    ++waiting_;
    done_.wait(guard, [&job] { return job.busy == 0; });
    --waiting_;
}

void Read_Ahead::start(const Dir_List& files, std::vector<bool> skip, int folder) {
    finish();
    std::unique_ptr<List_Job> job;
    if (queued_ && queued_->files == &files) {
        std::lock_guard guard(lock_);
        job = std::move(queued_);
    } else {
        drop_queued();
        job = make_job(files, std::move(skip), folder);
    }
    std::lock_guard guard(lock_);
    current_ = std::move(job);
    if (idle_ > 0) room_.notify_all();
}

void Read_Ahead::queue_next(const Dir_List& files, std::vector<bool> skip, int folder) {
    drop_queued();
    std::unique_ptr<List_Job> job = make_job(files, std::move(skip), folder);
    std::lock_guard guard(lock_);
    queued_ = std::move(job);
    if (idle_ > 0) room_.notify_all();
}

bool Read_Ahead::queued(const Dir_List& files) const { return queued_ && queued_->files == &files; }

Read_Result Read_Ahead::take(std::size_t index) {
    std::unique_lock guard(lock_);
    if (!current_ || index >= current_->results.size()) return {};
    List_Job& job = *current_;
    job.wanted = index;
    if (idle_ > 0 && job.has_work()) room_.notify_all();
    // The walk's thread reads too rather than wait, as long as there are files to read.
    while (!job.results[index].has_value()) {
        if (job.has_work()) {
            read_run(guard, job);
            continue;
        }
        ++waiting_;
        done_.wait(guard, [&] { return job.results[index].has_value() || job.has_work(); });
        --waiting_;
    }
    Read_Result result = std::move(*job.results[index]);
    job.results[index].reset();
    job.wanted = index + 1;
    if (result.failure) std::rethrow_exception(result.failure);
    return result;
}

void Read_Ahead::finish() {
    std::unique_lock guard(lock_);
    if (!current_) return;
    settle(guard, *current_);
    current_.reset();
}

void Read_Ahead::drop_queued() {
    std::unique_lock guard(lock_);
    if (!queued_) return;
    settle(guard, *queued_);
    queued_.reset();
}

void Read_Ahead::recycle(DICOM_Tag_List&& set) {
    set.clear();
    std::lock_guard guard(lock_);
    if (spare_sets_.size() < Window + Run * (helpers_.size() + 1)) spare_sets_.push_back(std::move(set));
}
