// Start-up of the program: identity, command line, configuration, then batch or interactive mode.
//
// Batch mode (folders named on the command line) never creates a window and runs without a
// display. Interactive mode lives in app/qt/ (Qt) or app/win32/ (Windows); start-up reaches it
// only through the Interactive_Runner hook, which the executable registers when it is built
// with the windows.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "util/log.h"

inline constexpr const char* Main_Window_Title = "Corvanthis's Kestrapol 1.0 Rev-5";
inline constexpr const char* Configuration_File_Name = "Kestrapol.ini";
inline constexpr const char* Required_Library_Version = "21.6";

// Process exit codes. Batch mode ORs Exit_Names_Too_Long and Exit_Bad_Characters (0 ... 3);
// Exit_No_Files wins when no DICOM file was read; Exit_File_Failed wins over those,
// Exit_Folder_Failed over it, and Exit_Write_Failed over all of them.
enum Exit_Code : int {
    Exit_OK = 0,
    Exit_Names_Too_Long = 1,
    Exit_Bad_Characters = 2,
    Exit_Unknown_Option = 2,
    Exit_No_Files = 4,
    Exit_Startup_Failed = 5,  // no configuration file, library version mismatch, memory failure
    Exit_Write_Failed = 6,    // at least one DICOMDIR could not be written
    Exit_Folder_Failed = 7,   // a folder (or a folder below it) could not be opened or listed
    Exit_File_Failed = 8,     // a DICOM file below a folder could not be read: no DICOMDIR for it
    Exit_Check_Problems = 9,  // check mode: a DICOMDIR has problems
    Exit_Check_Missing = 10,  // check mode: a folder has no DICOMDIR
    Exit_Copy_Failed = 11,    // copy mode: the media copy could not be made (nothing of it is left)
};

// The main window: owner of boxes and receiver of thread lines; nullptr in batch mode.
extern Win_Handle Main_Window;
// Install folder and per-user folder, each ending with "/", or none.
extern std::optional<std::string> Inst_Path;
extern std::optional<std::string> Application_Path;

// Rest of start-up once the main window exists: library checks, log handler, banner, install
// and per-user folders, configuration. Returns 0 to go on, otherwise the exit code to end with.
using Startup_Continue = std::function<int(Win_Handle main_window)>;

// Interactive mode, provided by app/qt/ (app/win32/ on Windows). The runner:
//   1. creates the application object and the main window (title Main_Window_Title), installs
//      the window's Log_Sink, accepts drops and shows the window;
//   2. calls continue_startup(window); when it returns non-zero, uninstalls the sink, destroys
//      its objects and returns that code;
//   3. writes the instruction lines into the panel ("Drag&drop a dir on this application," and
//      "to create a DICOMDIR of its content", each after the markup bytes black, bold; then an
//      empty line), converts the folders of drop (when there are any) as one drop, and runs
//      the message loop until quit;
//   4. uninstalls its sink (Log_Set_Sink(nullptr)), destroys its windows and the drawing lock,
//      and returns the quit code. Start-up then logs "In FREE" and runs the clean-up calls.
using Interactive_Runner = int (*)(int& argc, char** argv, const Startup_Continue& continue_startup,
                                  const std::vector<std::string>& drop);

// Defined by the kestrapol_qt library (app/qt/), on Windows by kestrapol_win32 (app/win32/).
int Kestrapol_Interactive_Run(int& argc, char** argv, const Startup_Continue& continue_startup,
                          const std::vector<std::string>& drop = {});

// Interactive mode from the window library beside the executable ("kestrapol_window"), loaded
// only when the window opens: batch runs start without the toolkit's libraries, also where they
// are not installed. When the library cannot be loaded, says why and ends with Exit_Startup_Failed.
int Kestrapol_Window_Library_Run(int& argc, char** argv, const Startup_Continue& continue_startup,
                                 const std::vector<std::string>& drop);
// What the window library exports: its Kestrapol_Interactive_Run.
extern "C" Interactive_Runner Kestrapol_Window_Runner();

// The whole program. Without a runner, a start with no folder or with -w prints that
// interactive mode is not built and ends with Exit_Startup_Failed. window_only: every start
// opens the window, as -w does (the program that Explorer and the Start menu start).
int Kestrapol_Main(int argc, char** argv, Interactive_Runner interactive, bool window_only = false);

// Options and folders as the command line gives them (one argv entry per token).
struct Command_Line {
    std::vector<std::string> folders;  // as given, in command-line order
    bool window = false;               // -w: interactive mode, the folders handled as one drop
    bool help = false;                 // -h, --help or /?: the usage, nothing else
    bool version = false;              // --version: the version, nothing else
    bool check = false;                // -c: check the folders' DICOMDIRs, change nothing
    std::optional<std::string> copy_to;       // -o DEST: copy the folders' DICOM files as media into DEST
    std::optional<std::string> results_file;  // -r FILE: the run's results as JSON
    bool unknown_option = false;
    std::string unknown_token;         // the first unrecognised option, or one whose value is missing
    bool missing_value = false;        // unknown_token is an option that needs a value after it
};
// Reads argv[1 ...]; "-t val" and "-v" set Trace_Level as they are met.
Command_Line Parse_Command_Line(int argc, char** argv);
// Writes the unknown-option message and the usage (standard error, then standard output).
void Print_Usage(const Command_Line& line);
// Writes the usage, every option explained, to out.
void Print_Help(std::FILE* out);

struct Run_Results;
// Batch mode: converts each folder on the calling thread; returns the batch exit code. With
// results, each folder's outcome is added to them.
int Batch_Run(const std::vector<std::string>& folders, Run_Results* results = nullptr);
// Check mode: compares each folder's DICOMDIR with the folder; returns the check's exit code.
int Check_Run(const std::vector<std::string>& folders, Run_Results* results = nullptr);
// Copy mode: copies the DICOM files below the sources into destination as media, with its
// DICOMDIR; returns the copy's exit code.
int Copy_Run(const std::string& destination, const std::vector<std::string>& sources, Run_Results* results = nullptr);
