// The protected region: a re-entrant timed lock, created at start-up.
#include "util/region.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "util/log.h"

namespace {

std::unique_ptr<std::recursive_timed_mutex> region_lock;
std::atomic<std::recursive_timed_mutex*> region{nullptr};
std::chrono::milliseconds region_wait{10000};

// Per thread, one entry per Mutex_Access_Start still open: did it take the lock?
thread_local std::vector<bool> entries;

}  // namespace

void Mutex_Region_Create(std::chrono::milliseconds wait_limit) {
    if (region.load()) return;
    region_wait = wait_limit;
    region_lock = std::make_unique<std::recursive_timed_mutex>();
    region.store(region_lock.get());
}

void Mutex_Region_Close() {
    region.store(nullptr);
    region_lock.reset();
}

void Mutex_Access_Start() {
    std::recursive_timed_mutex* lock = region.load();
    if (!lock) return;
    // Uncontended (the usual case): no timed wait set up.
    if (lock->try_lock() || lock->try_lock_for(region_wait)) {
        entries.push_back(true);
        return;
    }
    entries.push_back(false);
    Log_Message(nullptr, LOG_ERRLOG, "Critical Region Deadlock in Mutex_Access_Start!");
    Log_Message(nullptr, LOG_WARNING, "+**********Critical Section access deadlock ****** ");
}

void Mutex_Access_End() {
    std::recursive_timed_mutex* lock = region.load();
    if (!lock || entries.empty()) return;
    bool owned = entries.back();
    entries.pop_back();
    if (owned) lock->unlock();
}
