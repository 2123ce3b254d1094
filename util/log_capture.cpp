#include "util/log_capture.h"

namespace {

thread_local std::vector<Log_Record>* current_records = nullptr;

// The text is already formatted and cut to size, so "%s" reports it unchanged.
void report(const Log_Record& record) {
    if (record.error_line) Log_Error_Line(record.window, "%s", record.text.c_str());
    else Log_Message(record.window, record.kind, "%s", record.text.c_str());
}

void replay_once(Log_Once& once) {
    if (once.reported) return;
    once.reported = true;
    Log_Replay(once.records);
}

}  // namespace

Log_Capture::Log_Capture(std::vector<Log_Record>& records) : previous_(current_records) {
    current_records = &records;
}

Log_Capture::~Log_Capture() { current_records = previous_; }

std::vector<Log_Record>* Log_Capture::active() { return current_records; }

void Log_Replay(const std::vector<Log_Record>& records) {
    for (const Log_Record& record : records) {
        if (record.once) replay_once(*record.once);
        else report(record);
    }
}

void Log_Refer_Once(Win_Handle window, const std::shared_ptr<Log_Once>& once) {
    if (!once) return;
    if (current_records != nullptr) current_records->push_back(Log_Record{window, 0, {}, once});
    else replay_once(*once);
}

bool Log_Capture_Take(Win_Handle window, int kind, const char* text) {
    if (current_records == nullptr || kind == LOG_QUESTION) return false;
    current_records->push_back(Log_Record{window, kind, text, nullptr, Log_Error_Line_Active()});
    return true;
}
