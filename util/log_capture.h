// Holding back the messages of one thread, to be reported later in a chosen order.
//
// A reader thread that works ahead of the walk keeps what it would report for each file; the
// walk reports it when it reaches that file, so the output reads as if the files had been read
// one after the other on the walk's own thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "util/log.h"

struct Log_Once;

// One formatted message, or (with once set) the place of a shared group of messages.
struct Log_Record {
    Win_Handle window = nullptr;
    int kind = 0;
    std::string text;
    std::shared_ptr<Log_Once> once;
    bool error_line = false;  // reported through Log_Error_Line
};

// Messages of a step done once for the whole run (a table loaded on first use) by whichever
// thread needed it first: reported at the first place that refers to them in replay order.
struct Log_Once {
    std::vector<Log_Record> records;
    bool reported = false;  // touched only by the thread that replays
};

// While alive, Log_Message on this thread adds to records instead of reporting (questions
// still go straight through: they need an answer). Scopes nest; the innermost one collects.
class Log_Capture {
public:
    explicit Log_Capture(std::vector<Log_Record>& records);
    ~Log_Capture();
    Log_Capture(const Log_Capture&) = delete;
    Log_Capture& operator=(const Log_Capture&) = delete;

    // The records of this thread's innermost scope; nullptr when it reports directly.
    static std::vector<Log_Record>* active();

private:
    std::vector<Log_Record>* previous_;
};

// Reports records in order, as Log_Message would have; a group of once-messages is reported
// at its first place only.
void Log_Replay(const std::vector<Log_Record>& records);

// Refers to a group of once-messages from here: recorded when capturing, else reported now
// unless it already was.
void Log_Refer_Once(Win_Handle window, const std::shared_ptr<Log_Once>& once);

// Used by Log_Message: true when the formatted message was taken by a capture.
bool Log_Capture_Take(Win_Handle window, int kind, const char* text);
