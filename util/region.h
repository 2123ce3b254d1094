// The protected region: one process-wide re-entrant lock around the library's shared tables.
#pragma once

#include <chrono>

// Creates the region's lock (start-up); until then Mutex_Access_Start/End do nothing.
void Mutex_Region_Create(std::chrono::milliseconds wait_limit = std::chrono::milliseconds(10000));
// Removes it again (shutdown, when no other thread runs).
void Mutex_Region_Close();

// Enters the region, or gives up after the wait limit: the caller then goes on unprotected
// (reported as a deadlock), and the matching Mutex_Access_End releases nothing.
void Mutex_Access_Start();
void Mutex_Access_End();
