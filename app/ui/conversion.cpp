#include "app/ui/conversion.h"

#include <system_error>

bool Conversion::refused_busy() {
    if (running_.load()) {
        Log_Message(window_, LOG_WARNING, "\xF1\x05" "BUSY:" "\x02" " a conversion is running; drop again when it is done");
        return true;
    }
    wait();  // the previous worker has finished its work; collect the thread
    return false;
}

bool Conversion::start_check(const std::vector<std::string>& paths) {
    if (refused_busy()) return false;
    running_.store(true);
    try {
        worker_ = std::thread([this, paths, started = std::chrono::steady_clock::now()] {
            for (const std::string& folder : paths)
                if (!folder.empty()) add_result(Folder_Result_Of(Check_Folder(window_, folder)));
            end_run(started);
        });
    } catch (const std::system_error&) {
        running_.store(false);
        Log_Message(window_, LOG_ERRLOG, "file:%s line:%d", __FILE__, __LINE__);
        Log_Message(window_, LOG_ERRLOG, "Unable to start check thread");
        return false;
    }
    return true;
}

bool Conversion::start(const std::vector<std::string>& paths) {
    if (refused_busy()) return false;

    const int n = static_cast<int>(paths.size());
    Log_Message(window_, LOG_REPORT, "\xF1\x02" "Scanning %d director%s...", n, n > 1 ? "ies" : "y");
    Convert_Data data;
    data.list = paths;
    data.progress = hooks_.open_progress ? hooks_.open_progress() : nullptr;
    data.folder_done = [this](const Folder_Outcome& outcome) {
        {
            std::lock_guard guard(results_lock_);
            converted_.push_back(outcome);
        }
        add_result(Folder_Result_Of(outcome));
    };
    Progress_Show(data.progress);

    Progress_Window* progress = data.progress;
    running_.store(true);
    try {
        worker_ = std::thread([this, data = std::move(data), started = std::chrono::steady_clock::now()]() mutable {
            Convert_Thread(window_, std::move(data));
            end_run(started);
        });
    } catch (const std::system_error&) {
        running_.store(false);
        Log_Message(window_, LOG_ERRLOG, "file:%s line:%d", __FILE__, __LINE__);
        Log_Message(window_, LOG_ERRLOG, "Unable to start convert thread");
        Progress_Close(progress);
        return false;
    }
    return true;
}

void Conversion::wait() {
    if (worker_.joinable()) worker_.join();
}

void Conversion::end_run(std::chrono::steady_clock::time_point started) {
    running_.store(false);
    if (hooks_.finished) hooks_.finished(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

void Conversion::add_result(Folder_Result result) {
    {
        std::lock_guard guard(results_lock_);
        results_.push_back(std::move(result));
    }
    if (hooks_.results_changed) hooks_.results_changed();
}

std::vector<Folder_Result> Conversion::results() const {
    std::lock_guard guard(results_lock_);
    return results_;
}

int Conversion::exit_code() const {
    std::lock_guard guard(results_lock_);
    return converted_.empty() ? 0 : Batch_Exit_Code(converted_);
}

std::size_t Conversion::result_count() const {
    std::lock_guard guard(results_lock_);
    return results_.size();
}
