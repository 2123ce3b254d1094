// A drop made by another program through a real X server: the main window on the xcb
// platform, and xdnd_drag.py dragging two folders onto it as a file manager would. Passes when
// the results list shows a row for each of the two folders.
//
//   xdnd_drop_check PYTHON XDND_DRAG_SCRIPT   (under an X server: xvfb-run)
#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <filesystem>

#include "app/qt/main_widget.h"
#include "app/qt/results_list.h"
#include "app/qt/window_log_sink.h"
#include "tools/make_sample_files.h"
#include "util/log.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PYTHON XDND_DRAG_SCRIPT\n", argv[0]);
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication application(argc, argv);
    QTemporaryDir scratch;
    Scratch_Dir = scratch.path().toStdString() + "/";
    Log_Set_Handler(Log_Handler);
    std::vector<std::string> folders;
    for (const char* name : {"CD1", "CD2"}) {
        const fs::path folder = fs::path(scratch.path().toStdString()) / name;
        fs::create_directories(folder / "SER1");
        Sample_File_Write((folder / "SER1" / "IMG1").string(), Sample_Image{});
        folders.push_back(folder.string());
    }

    Main_Widget_Hooks hooks;
    hooks.open_folder = [](const std::string&) {};
    Main_Widget window("Kestrapol drop", hooks);
    Window_Log_Sink sink(window);
    Log_Set_Sink(&sink);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "FAIL: the window was never shown\n");
        return 1;
    }

    QProcess drag;
    QStringList arguments{QString::fromUtf8(argv[2]), QString::number(window.winId())};
    for (const std::string& folder : folders) arguments << QString::fromStdString(folder);
    drag.setProcessChannelMode(QProcess::ForwardedChannels);
    drag.start(QString::fromUtf8(argv[1]), arguments);
    // The event loop runs while the script drags: the window answers it.
    const bool dragged = QTest::qWaitFor([&] { return drag.state() == QProcess::NotRunning; }, 20000) &&
                         drag.exitStatus() == QProcess::NormalExit && drag.exitCode() == 0;
    const bool converted = QTest::qWaitFor(
        [&] { return !window.converting() && !window.progress_window() && window.results_list().topLevelItemCount() == 2; },
        20000);
    int failures = 0;
    const auto check = [&](bool ok, const std::string& what) {
        std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what.c_str());
        failures += !ok;
    };
    check(dragged, "the drag script's drop was accepted and finished");
    check(converted, "both folders of the drop were converted");
    for (int row = 0; row < 2; ++row)
        check(window.results_list().folder(row) == folders[static_cast<std::size_t>(row)] &&
                  window.results_list().topLevelItem(row) &&
                  window.results_list().topLevelItem(row)->text(1) == "Done",
              "the results list shows " + folders[static_cast<std::size_t>(row)] + " as Done");
    Log_Set_Sink(nullptr);
    return failures == 0 ? 0 : 1;
}
