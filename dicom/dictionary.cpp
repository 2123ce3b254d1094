// The process-wide data dictionary, built from the built-in text on first use.
#include "dicom/dictionary.h"

#include <atomic>
#include <mutex>

#include "dicom/dictionary_table.h"
#include "dicom/dictionary_text.h"
#include "util/log.h"

namespace {

struct Process_Dictionary {
    std::mutex build_lock;        // serialises building and cleanup
    std::atomic<bool> built{false};
    NEMA_db_Dictionary table;
};

// A global, not a function's static: a lookup does not test a first-use guard. (Constant-
// initialised where the mutex is; with Windows threads its constructor runs before main.)
Process_Dictionary The_Dictionary;

Process_Dictionary& Dictionary() { return The_Dictionary; }

std::size_t Line_Count(std::size_t size) { return size / sizeof(const char*); }

}  // namespace

void NEMA_db_Init() {
    Process_Dictionary& d = Dictionary();
    if (d.built.load(std::memory_order_acquire)) return;
    std::lock_guard lock(d.build_lock);
    if (d.built.load(std::memory_order_relaxed)) return;
    // The index is built once, with the last table.
    for (int t = 0; t < NEMA_db_Table_Count; ++t)
        d.table.read_table(NEMA_db_Tables[t].lines, Line_Count(NEMA_db_Tables[t].size), t + 1 == NEMA_db_Table_Count);
    // Built whatever the outcome: a faulty table is reported once, not at every lookup.
    d.built.store(true, std::memory_order_release);
}

const NEMA_db_Entry* NEMA_db_Get_Public(uint16_t group, uint16_t element) {
    Process_Dictionary& d = Dictionary();
    if (!d.built.load(std::memory_order_acquire)) NEMA_db_Init();
    return d.table.find(group, element);
}

void NEMA_db_Cleanup() {
    Process_Dictionary& d = Dictionary();
    {
        std::lock_guard lock(d.build_lock);
        d.table.clear();
        d.built.store(false, std::memory_order_release);
    }
    Log_Message(nullptr, LOG_TRACE_1, "--- in NEMA_db_Cleanup() ---");
}
