// Interactive mode as start-up runs it: its exit codes, -w folders, quitting during a run. Each
// run makes its own application object, so this program has its own main.
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "app/startup.h"
#include "app/qt/main_widget.h"
#include "app/qt/results_list.h"
#include "dirscan/walk.h"
#include "tools/make_sample_files.h"
#include "util/log_sink.h"
#include "window_test_support.h"

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what);
    if (!ok) ++failures;
}

Main_Widget& main_widget(Win_Handle window) { return *static_cast<Main_Widget*>(window); }

// The run to be quit holds its walk until it is cancelled (at most 20 s), so that the quit
// never comes after its DICOMDIR, however fast the machine.
std::atomic<Progress_Window*> quit_run{nullptr};
void hold_until_cancelled(const std::string&, const Dir_List&) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        Progress_Window* progress = quit_run.load();
        if (progress && Progress_Cancelled(progress)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / ("kestrapol_runner_" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch / "CD" / "SER1");
    Scratch_Dir = scratch.string() + "/";
    Sample_File_Write((scratch / "CD" / "SER1" / "IMG1").string(), Sample_Image{});
    std::filesystem::create_directories(scratch / "BAD" / "ser1");
    Sample_File_Write((scratch / "BAD" / "ser1" / "IMG1").string(), Sample_Image{});

    int code = Kestrapol_Interactive_Run(argc, argv, [](Win_Handle) { return int(Exit_Startup_Failed); });
    check(code == Exit_Startup_Failed, "a failed start-up ends interactive mode with its code");
    check(Log_Get_Sink() == nullptr, "the window's sink is removed");

    // As "kestrapol -w CD BAD" starts it: the window converts the folders as one drop, visibly,
    // and the program ends as batch mode would have for them (a lower-case name: 2).
    code = Kestrapol_Interactive_Run(argc, argv, [&](Win_Handle window) {
        auto* poll = new QTimer(&main_widget(window));
        QObject::connect(poll, &QTimer::timeout, [window] {
            Main_Widget& widget = main_widget(window);
            if (!widget.converting() && widget.results_list().topLevelItemCount() == 2) widget.close();
        });
        poll->start(20);
        return 0;
    }, {(scratch / "CD").string(), (scratch / "BAD").string()});
    check(code == Exit_Bad_Characters && std::filesystem::exists(scratch / "CD" / "DICOMDIR"),
          "folders named with -w are converted in the window, which ends with their batch code");
    std::filesystem::remove(scratch / "CD" / "DICOMDIR");

    bool instructions = false, was_converting = false;
    Kestrapol_Files_Listed = hold_until_cancelled;
    code = Kestrapol_Interactive_Run(argc, argv, [&](Win_Handle window) {
        QTimer::singleShot(0, [&, window] {
            instructions = Panel_Count(main_widget(window).panel(), "Drag&drop a dir on this application,") == 1;
            main_widget(window).convert({(scratch / "CD").string()});
            quit_run = &main_widget(window).progress_window()->object();
            was_converting = main_widget(window).converting();
            QTest::keyClick(&main_widget(window), Qt::Key_Escape);
        });
        return 0;
    });
    check(instructions, "the instructions are shown");
    check(was_converting && code == 0, "Esc during a conversion stops the worker and ends the program with 0");
    check(!std::filesystem::exists(scratch / "CD" / "DICOMDIR"), "the cancelled conversion writes no DICOMDIR");
    Kestrapol_Files_Listed = nullptr;

    std::filesystem::remove_all(scratch);
    return failures == 0 ? 0 : 1;
}
