// Converting through the window against batch mode, in one process and one run: the same
// generated folder is converted by the per-folder procedure as batch mode runs it (report lines
// to /dev/null), by the worker without a window, and as a drop on the main window (offscreen),
// which adds the count, the progress window and the panel.
// Prints the fastest of R alternating runs of each and the window's ratios to batch mode
// (target: at most 1.1): once the folder's result row is in, and once the progress window is
// gone.
//
//   window_bench [--repeat R] [N]       (default R = 3, N = 20000)
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "app/convert.h"
#include "app/qt/main_widget.h"
#include "app/qt/window_log_sink.h"
#include "bench/generated_folder.h"
#include "util/log_sink.h"
#include "util/terminal_sink.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double batch_run(const std::string& folder) {
    std::FILE* null = std::fopen("/dev/null", "w");
    Terminal_Sink terminal(null);
    Log_Set_Sink(&terminal);
    const auto start = std::chrono::steady_clock::now();
    const Folder_Outcome outcome = Convert_Folder(nullptr, folder, nullptr);
    const double seconds = seconds_since(start);
    Log_Set_Sink(nullptr);
    std::fclose(null);
    if (!outcome.written) std::fprintf(stderr, "batch run wrote no DICOMDIR\n");
    return seconds;
}

// The worker's whole run without a window: the count, the waits and the conversion.
double driver_run(const std::string& folder) {
    std::FILE* null = std::fopen("/dev/null", "w");
    Terminal_Sink terminal(null);
    Log_Set_Sink(&terminal);
    const auto start = std::chrono::steady_clock::now();
    Convert_Thread(nullptr, Convert_Data{{folder}, nullptr, nullptr});
    const double seconds = seconds_since(start);
    Log_Set_Sink(nullptr);
    std::fclose(null);
    return seconds;
}

// Calls seen before every event the application delivers.
class Event_Watch : public QObject {
public:
    explicit Event_Watch(std::function<void()> seen) : seen_(std::move(seen)) {}
    bool eventFilter(QObject*, QEvent*) override {
        seen_();
        return false;
    }

private:
    std::function<void()> seen_;
};

struct Window_Times {
    double row = 0;     // the folder's row is in the results: DICOMDIR written, summary shown
    double closed = 0;  // the worker has ended and the progress window is gone
};

Window_Times window_run(const std::string& folder) {
    Main_Widget window("Kestrapol bench", {});
    Window_Log_Sink sink(window);
    Log_Set_Sink(&sink);
    window.show();
    QCoreApplication::processEvents();
    Window_Times times;
    const std::size_t rows = window.conversion().result_count();
    const auto start = std::chrono::steady_clock::now();
    window.convert({folder});
    // The window's own loop, idle between events as in the program: a timer polling all along
    // would take a share of the cores the conversion needs. The row is seen with the event that
    // announces it; the poll for the close starts then.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!window.converting() && !window.progress_window()) loop.quit();
    });
    Event_Watch watch([&] {
        if (times.row != 0 || window.conversion().result_count() <= rows) return;
        times.row = seconds_since(start);
        poll.start(1);
    });
    QCoreApplication::instance()->installEventFilter(&watch);
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(&watch);
    times.closed = seconds_since(start);
    if (window.conversion().results().back().outcome != Folder_Outcome_Kind::Done)
        std::fprintf(stderr, "window run did not convert the folder\n");
    Log_Set_Sink(nullptr);
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3, files = 20000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
        else files = std::max(1, std::atoi(argv[i]));
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "kestrapol-window-bench";
    std::filesystem::create_directories(scratch);
    Scratch_Dir = scratch.string() + "/";
    Prog_Name = "Kestrapol";
    Prog_Version = "1.0 Rev-5";
    Log_Set_Handler(Log_Handler);

    const Layout layout = layout_for(files);
    const std::filesystem::path folder = scratch / std::to_string(layout.files());
    generate(folder, layout, 512);
    double batch = 1e9, driver = 1e9, row = 1e9, closed = 1e9;
    for (int run = 0; run < repeat; ++run) {
        const double b = batch_run(folder.string()), d = driver_run(folder.string());
        const Window_Times w = window_run(folder.string());
        batch = std::min(batch, b), driver = std::min(driver, d), row = std::min(row, w.row), closed = std::min(closed, w.closed);
        std::printf("  run %d: batch %.2f s, worker without window %.2f s, window: row %.2f s, closed %.2f s\n", run + 1, b, d,
                    w.row, w.closed);
    }
    std::printf("%d files, fastest runs: batch %.2f s; worker without window %.2f s (with its count);\n"
                "  window: result row %.2f s (%.2f x batch), progress window closed %.2f s (%.2f x batch)\n",
                layout.files(), batch, driver, row, row / batch, closed, closed / batch);
    return 0;
}
