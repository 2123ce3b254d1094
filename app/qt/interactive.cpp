// Interactive mode: the Qt application, the main window with its log sink, the console when
// needed, the message loop and the orderly shutdown. Batch mode never gets here, so it makes
// no Qt object and needs no display.
#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/qt/console_window.h"
#include "app/qt/desktop_dialogs.h"
#include "app/qt/main_widget.h"
#include "app/qt/markup.h"
#include "app/qt/window_log_sink.h"
#include "app/ui/window_settings.h"
#include "app/startup.h"
#include "util/banner.h"
#include "util/log.h"

// The icon lives in the static library's resources, which need an explicit start.
static void init_resources() { Q_INIT_RESOURCE(kestrapol_qt); }

namespace {

// Where the window was last time, moved onto today's screens if they changed.
void restore_frame(QWidget& window, const Window_Settings& settings) {
    if (!settings.frame) return;
    std::vector<Ui_Rect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        screens.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    const QSize least = window.minimumSize();
    window.setGeometry(Qt_Rect(Window_Frame_On_Screens(*settings.frame, screens, least.width(), least.height())));
}

Ui_Rect frame_of(const QWidget& window) {
    const QRect frame = window.isMaximized() || window.isMinimized() ? window.normalGeometry() : window.geometry();
    return {frame.x(), frame.y(), frame.width(), frame.height()};
}

// Qt ends the process when it finds no display; say so and end cleanly instead.
bool display_available() {
    return std::getenv("QT_QPA_PLATFORM") || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

}  // namespace

int Kestrapol_Interactive_Run(int& argc, char** argv, const Startup_Continue& continue_startup,
                          const std::vector<std::string>& drop) {
    if (!display_available()) {
        std::fprintf(stderr, "%s: no display for the window; name the folders to convert:\n %s [-v] [-t val] folder ...\n",
                     Prog_Name.c_str(), Prog_Name.c_str());
        return Exit_Startup_Failed;
    }
    init_resources();
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);  // the main window's close ends the loop
    application.setWindowIcon(QIcon(QStringLiteral(":/kestrapol/kestrapol.png")));
    const QString title = QString::fromUtf8(Main_Window_Title);

    std::unique_ptr<Console_Window> console;
    const auto open_console = [&] {
        if (!Console_Window::Needed()) return;  // a terminal is the console already
        if (!console) console = std::make_unique<Console_Window>(QString::fromStdString(Prog_Name) + " console");
        console->open();
    };
    if (Trace_Level != 0) open_console();

    Window_Settings settings = Window_Settings_Load();
    Main_Widget_Hooks hooks;
    hooks.choose_folders = [&settings](QWidget* owner) { return Desktop_Choose_Folders(owner, settings.folder); };
    hooks.choose_report_file = [&settings](QWidget* owner) { return Desktop_Choose_Report_File(owner, settings.folder); };
    hooks.open_console = open_console;
    hooks.write_banner = System_Banner;
    hooks.library_descriptions = Library_Descriptions;
    auto window = std::make_unique<Main_Widget>(title, std::move(hooks));
    auto sink = std::make_unique<Window_Log_Sink>(*window);
    const auto shut_down = [&] {
        settings.frame = frame_of(*window);
        Window_Settings_Save(settings);
        Log_Set_Sink(nullptr);
        sink->shut_down();  // a worker waiting for a box gets its default answer
        window.reset();     // stops and waits for a running conversion
        sink.reset();
        console.reset();
    };
    Log_Set_Sink(sink.get());
    restore_frame(*window, settings);
    window->show();

    if (const int code = continue_startup(window.get()); code != 0) {
        shut_down();
        return code;
    }
    window->logic().write_instructions();
    // Folders named with -w, as the desktop's "Open with" hands them over: one drop, seen.
    if (!drop.empty()) QTimer::singleShot(0, window.get(), [&window, &drop] { window->convert(drop); });

    int code = application.exec();
    // Started with folders, the program ends as batch mode would have for them.
    if (code == 0 && !drop.empty()) code = window->finish_conversion();
    shut_down();
    return code;
}

// The entry that the program looks up when it loads this code as its window library.
extern "C" Interactive_Runner Kestrapol_Window_Runner() { return Kestrapol_Interactive_Run; }
