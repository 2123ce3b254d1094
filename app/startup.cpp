// The program's start, its two modes and its end.
#include "app/startup.h"

#include <cstdio>
#include <new>
#include <optional>
#include <system_error>

#include "app/configuration.h"
#include "app/results.h"
#include "dicom/library.h"
#include "util/banner.h"
#include "util/directory.h"
#include "util/library_version.h"
#include "util/log_sink.h"
#include "util/platform_folder.h"
#include "util/platform_system.h"
#include "util/region.h"
#include "util/registry.h"
#include "util/terminal_sink.h"

Win_Handle Main_Window = nullptr;
std::optional<std::string> Inst_Path;
std::optional<std::string> Application_Path;

namespace {

void set_identity() {
    DICOM_Warning_Kind = LOG_TRACE_1;
    DICOM_Notice_Kind = LOG_TRACE_1;
    Trace_File_Name = "DICOMDIR_trace.dat";
    Prog_Name = "Kestrapol";
    Prog_Version = "1.0 Rev-5";
    Prog_ID = "KSP 10000050";
    Prog_Date = "30/05/2011";
    Trace_Level = 0;
    Scratch_Dir = Default_Scratch_Dir();
}

// Where the program runs from when the registry does not say where it is installed.
std::string unregistered_install_folder() {
    std::string folder = Executable_Folder();
    return folder.empty() ? Fallback_Install_Folder : folder;
}

std::string install_folder() {
    std::string folder;
    if (Registry_Get_Path(Prog_Name, folder)) return folder;
    return unregistered_install_folder();
}

// $APPDATA when set, else the system's per-user configuration folder.
std::optional<std::string> per_user_folder() {
    std::optional<std::string> base = User_Configuration_Base();
    if (!base) return std::nullopt;
    return *base + "Corvanthis" + Path_Separator;
}

bool libraries_match(Win_Handle window) {
    struct Check {
        const char* (*version)(const char*);
        const char* file;
    };
    const Check checks[] = {{Util_Library_Version, "Corvanthis_Util.dll"},
                            {Tools_Library_Version, "Corvanthis_Tools.dll"},
                            {DICOM_Library_Version, "Corvanthis_DICOM.dll"}};
    for (const Check& check : checks) {
        if (check.version(Required_Library_Version)) continue;
        Log_Box(window, LOG_BOX_ERROR, "Wrong DLL version", "We need:\n%s %s\nYou have:\n%s", check.file,
                Required_Library_Version, check.version(nullptr));
        return false;
    }
    return true;
}

bool read_configuration(Win_Handle window) {
    bool read = Inst_Path && Configuration_Read(window, *Inst_Path, Configuration_File_Name);
    if (Application_Path && File_Exist_Parts(Application_Path->c_str(), Configuration_File_Name, nullptr))
        read = Configuration_Read(window, *Application_Path, Configuration_File_Name) || read;
    if (!read) {
        Log_Message(window, LOG_ERROR,
                    "Unable to access the \"%s\" file!\n\nIt must be present either in your user environment\n"
                    "or in the Corvanthis instalation directory.\n(See the readme file for more details)",
                    Configuration_File_Name);
    }
    return read;
}

// Everything between the main window's creation and the mode's own work.
int continue_startup(Win_Handle window) {
    Main_Window = window;
    if (!libraries_match(window)) return Exit_Startup_Failed;
    Log_Set_Handler(Log_Handler);
    if (Trace_Level != 0) {
        // The trace file goes where the configuration's scratch folder says: it starts there,
        // banner first, once the configuration is read.
        Log_Trace_File_Hold();
        System_Banner();
        Log_Message(window, LOG_TRACE_1, "%s", Util_Library_Version(nullptr));
        Log_Message(window, LOG_TRACE_1, "%s", Tools_Library_Version(nullptr));
        Log_Message(window, LOG_TRACE_1, "%s", DICOM_Library_Version(nullptr));
        Log_Message(window, LOG_TRACE_1, "%s", "");
    }
    std::string install;
    if (!Registry_Get_Path(Prog_Name, install)) {
        Log_Message(window, LOG_TRACE_1, "Unable to get path from registry");
        Log_Message(window, LOG_TRACE_1, "File:%s. Line:%d", __FILE__, __LINE__);
        install = unregistered_install_folder();
    }
    if (!install.empty()) Inst_Path = install;
    Application_Path = per_user_folder();
    const bool read = read_configuration(window);
    Log_Trace_File_Restart();
    return read ? 0 : Exit_Startup_Failed;
}

void shut_down() {
    Log_Trace_File_Restart();  // when start-up stopped before the configuration
    Log_Message(Main_Window, LOG_TRACE_1, "In FREE");
    Inst_Path.reset();
    Application_Path.reset();
    DICOM_Library_Cleanup();
    Tools_Library_Cleanup();
    Util_Library_Cleanup();
    Log_Set_Handler(nullptr);
    Main_Window = nullptr;
}

int run(int argc, char** argv, Interactive_Runner interactive, bool window_only) {
    Thread_Locals_Prepare();  // before any thread-local object is used: threads end cleanly
    // The arguments in UTF-8, as the user wrote them.
    std::vector<std::string> arguments = Platform_Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    argc = static_cast<int>(arguments.size());
    argv = pointers.data();

    set_identity();
    Mutex_Region_Create();
    DICOM_Module_Dir(nullptr, (install_folder() + "DICOM Tables" + Path_Separator).c_str());

    Command_Line command_line = Parse_Command_Line(argc, argv);
    if (window_only) {  // folders dropped on the program's icon: converted in the window
        command_line.window = true;
        command_line.check = false;
        command_line.copy_to.reset();
    }
    // A trace in interactive mode gets a console of its own when the program has none.
    Console_Attach(command_line.folders.empty() && Trace_Level != 0);
    if (command_line.help || command_line.version) {
        if (command_line.help)
            Print_Help(stdout);
        else
            std::printf("%s %s\n", Prog_Name.c_str(), Prog_Version.c_str());
        std::fflush(stdout);
        Util_Library_Cleanup();
        return Exit_OK;
    }
    // Checking and copying are batch modes: they need folders to work on.
    const bool media_mode = command_line.check || command_line.copy_to.has_value();
    if (media_mode && command_line.folders.empty() && !command_line.unknown_option) {
        command_line.unknown_option = command_line.missing_value = true;
        command_line.unknown_token = command_line.check ? "-c" : "-o";
        std::fprintf(stderr, "no folder named\n");
    }
    if (command_line.unknown_option) {
        Print_Usage(command_line);
        Util_Library_Cleanup();
        return Exit_Unknown_Option;
    }

    if (!media_mode && (command_line.folders.empty() || command_line.window)) {
        if (!interactive) {
            std::fprintf(stderr,
                         "%s: this build has no interactive mode; name the folders to convert:\n"
                         " %s [-v] [-t val] folder ...\n",
                         Prog_Name.c_str(), Prog_Name.c_str());
            Util_Library_Cleanup();
            return Exit_Startup_Failed;
        }
        int code = interactive(argc, argv, continue_startup, command_line.folders);
        shut_down();
        return code;
    }

    // Batch mode: no window; panel lines go to standard output, until the sink is gone, also
    // when the run ends by an exception.
    Terminal_Sink terminal;
    struct Sink_Scope {
        explicit Sink_Scope(Log_Sink* sink) { Log_Set_Sink(sink); }
        ~Sink_Scope() { Log_Set_Sink(nullptr); }
    } sink_scope(&terminal);
    int code = continue_startup(nullptr);
    std::optional<Run_Results> results;
    if (command_line.results_file) results.emplace();
    if (code == 0) {
        if (command_line.copy_to)
            code = Copy_Run(*command_line.copy_to, command_line.folders, results ? &*results : nullptr);
        else if (command_line.check)
            code = Check_Run(command_line.folders, results ? &*results : nullptr);
        else
            code = Batch_Run(command_line.folders, results ? &*results : nullptr);
    }
    if (results) code = Results_Finish(*command_line.results_file, command_line, code, *results);
    shut_down();
    std::fflush(stdout);
    return code;
}

}  // namespace

int Kestrapol_Main(int argc, char** argv, Interactive_Runner interactive, bool window_only) {
    // The sinks and windows of the run are gone by the time these report: the lines go to
    // standard error.
    try {
        return run(argc, argv, interactive, window_only);
    } catch (const std::bad_alloc&) {
        Log_Set_Sink(nullptr);
        Log_Message(nullptr, LOG_ERROR, "line %-4d of %s", __LINE__, "Prog_Util/Kestrapol/Kestrapol");
        Log_Message(nullptr, LOG_ERROR, "memory error in start-up");
    } catch (const std::system_error& error) {
        Log_Set_Sink(nullptr);
        Log_Message(nullptr, LOG_ERROR, "The system refused a thread or lock: %s", error.what());
    }
    std::fflush(stdout);
    return Exit_Startup_Failed;
}
