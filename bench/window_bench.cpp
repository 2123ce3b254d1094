// Converting through the window against batch mode, in one process and one run: the same
// generated folder is converted by the per-folder procedure as batch mode runs it (report lines
// to /dev/null) and as a drop on the main window (offscreen), which adds the count, the
// progress window and the panel. Prints both times, the fastest of R alternating runs each,
// and their ratio (target: at most 1.3).
//
//   window_bench [--repeat R] [N]       (default R = 3, N = 20000)
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/convert.h"
#include "app/windows/main_widget.h"
#include "app/windows/window_log_sink.h"
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

double window_run(const std::string& folder) {
    Main_Widget window("Kestrapol bench", {});
    Window_Log_Sink sink(window);
    Log_Set_Sink(&sink);
    window.show();
    QCoreApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    window.convert({folder});
    // The window's own loop, idle between events as in the program (a polling loop would take a core).
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!window.converting() && !window.progress_window()) loop.quit();
    });
    poll.start(5);
    timespec before{}, after{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    loop.exec();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    const double seconds = seconds_since(start);
    std::printf("    window thread busy %.2f s\n", (after.tv_sec - before.tv_sec) + (after.tv_nsec - before.tv_nsec) / 1e9);
    if (window.conversion().results().back().outcome != Folder_Outcome_Kind::Done)
        std::fprintf(stderr, "window run did not convert the folder\n");
    Log_Set_Sink(nullptr);
    return seconds;
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
    double batch = 1e9, driver = 1e9, windowed = 1e9;
    for (int run = 0; run < repeat; ++run) {
        batch = std::min(batch, batch_run(folder.string()));
        driver = std::min(driver, driver_run(folder.string()));
        windowed = std::min(windowed, window_run(folder.string()));
        std::printf("  run %d: batch %.2f s, worker without window %.2f s, window %.2f s\n", run + 1, batch, driver, windowed);
    }
    std::printf("%d files: batch %.2f s (%.0f files/s), window %.2f s (%.0f files/s), window / batch = %.2f\n",
                layout.files(), batch, layout.files() / batch, windowed, layout.files() / windowed, windowed / batch);
    return 0;
}
