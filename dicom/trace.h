// Whether a trace kind passes the current trace level, the same test Log_Message makes.
// Paths run once per element test it first, so that a filtered trace costs neither the call
// nor the building of its arguments.
#pragma once

#include "util/log.h"

inline bool Trace_On(int trace_kind) { return Trace_Level >= trace_kind - 10; }
