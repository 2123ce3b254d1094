#include "app/ui/conversion.h"

#include <chrono>
#include <system_error>

#include "app/startup.h"

namespace {

// A copy's code joins the conversions' as batch mode ranks theirs: 1 and 2 combine, 4 only where
// nothing else was found, then 8, 7, a copy not made (11), and a DICOMDIR not written (6).
int Joined_Exit_Code(int a, int b) {
    const auto rank = [](int code) {
        switch (code) {
        case Exit_OK: return 0;
        case Exit_Names_Too_Long: case Exit_Bad_Characters: case Exit_Names_Too_Long | Exit_Bad_Characters: return 1;
        case Exit_No_Files: return 2;
        case Exit_File_Failed: return 3;
        case Exit_Folder_Failed: return 4;
        case Exit_Copy_Failed: return 5;
        default: return 6;  // Exit_Write_Failed
        }
    };
    if (rank(a) == 1 && rank(b) == 1) return a | b;
    if (rank(a) == 1 && b == Exit_No_Files) return a;  // files were read: the names stand
    if (rank(b) == 1 && a == Exit_No_Files) return b;
    return rank(a) >= rank(b) ? a : b;
}

}  // namespace

bool Conversion::refused_busy() {
    if (running_.load()) {
        static const char* const busy = "\xF1\x05" "BUSY:" "\x02" " a conversion is running; drop again when it is done";
        Log_Message(window_, LOG_WARNING, "%s", busy);
        if (hooks_.progress_line) hooks_.progress_line(busy);  // seen where the user looks meanwhile
        return true;
    }
    wait();  // the previous worker has finished its work; collect the thread
    return false;
}

bool Conversion::launch(std::function<void()> job, const char* what, Progress_Window* progress) {
    running_.store(true);
    try {
        worker_ = std::thread([this, job = std::move(job), started = std::chrono::steady_clock::now()] {
            job();
            end_run(started);
        });
    } catch (const std::system_error&) {
        running_.store(false);
        Log_Message(window_, LOG_ERRLOG, "file:%s line:%d", __FILE__, __LINE__);
        Log_Message(window_, LOG_ERRLOG, "Unable to start %s thread", what);
        Progress_Close(progress);
        return false;
    }
    if (hooks_.busy_changed) hooks_.busy_changed();
    return true;
}

bool Conversion::start_check(const std::vector<std::string>& paths) {
    if (refused_busy()) return false;
    return launch([this, paths] {
        for (const std::string& folder : paths)
            if (!folder.empty()) add_result(Folder_Result_Of(Check_Folder(window_, folder)));
    }, "check", nullptr);
}

bool Conversion::start_copy(const std::vector<std::string>& sources, const std::string& destination) {
    if (refused_busy()) return false;
    Log_Message(window_, LOG_REPORT, "\xF1\x02" "Copying as media into \x01%s", destination.c_str());
    Progress_Window* progress = hooks_.open_progress ? hooks_.open_progress() : nullptr;
    Progress_Show(progress);
    return launch([this, sources, destination, progress] {
        const auto begun = std::chrono::steady_clock::now();
        Progress_Text(progress, "\xF1 Copying DICOM files...");
        const Media_Copy_Result copy = Copy_Media(window_, destination, sources, progress);
        Report_Copy(window_, destination, copy);
        Progress_Text(progress, "\xF1 Done");
        Progress_Close(progress);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        {
            std::lock_guard guard(results_lock_);
            copy_codes_.push_back(Copy_Exit_Code(copy));
        }
        add_result(Folder_Result_Of(sources, destination, copy, seconds));
    }, "copy", progress);
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
        Folder_Result result = Folder_Result_Of(outcome);
        // The window's own way to the copy that the line before names for the command line.
        if (result.outcome == Folder_Outcome_Kind::Names_Not_Allowed)
            Log_Message(window_, LOG_WARNING,
                        "\xF1\t\t\t     Or in this window: Enter or a double-click on its row, for \"Make media copy\xE2\x80\xA6\"");
        add_result(std::move(result));
    };
    Progress_Show(data.progress);
    Progress_Window* progress = data.progress;
    return launch([this, data = std::move(data)]() mutable { Convert_Thread(window_, std::move(data)); }, "convert",
                  progress);
}

void Conversion::wait() {
    if (worker_.joinable()) worker_.join();
}

void Conversion::end_run(std::chrono::steady_clock::time_point started) {
    running_.store(false);
    if (hooks_.busy_changed) hooks_.busy_changed();
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
    int code = converted_.empty() ? 0 : Batch_Exit_Code(converted_);
    for (const int copy : copy_codes_) code = Joined_Exit_Code(code, copy);
    return code;
}

std::size_t Conversion::result_count() const {
    std::lock_guard guard(results_lock_);
    return results_.size();
}
