// The progress window as the conversion sees it. The worker feeds it through these calls;
// every call accepts a missing window (nullptr): then it does nothing and Progress_Cancelled
// answers 0. Batch mode runs without one; the windows implement the class.
//
// The calls are inline: the walk and the driver share them without a library of their own.
#pragma once

#include <cstdarg>
#include <cstdio>

#include "util/log.h"

class Progress_Window {
public:
    virtual ~Progress_Window() = default;
    virtual void show() = 0;
    virtual void text(const char* line) = 0;  // queues one line (markup included)
    virtual void set(int value) = 0;          // position, kept within 0 ... maximum
    virtual void add(int delta) = 0;
    virtual void range(int maximum) = 0;
    virtual bool cancelled() const = 0;
    virtual void close() = 0;                 // asks the window to destroy itself
    // Adds files to the running count shown while counting; a window may show none.
    virtual void counted(int files) { (void)files; }
};

inline void Progress_Show(Progress_Window* progress) {
    if (progress) progress->show();
}

inline void Progress_Text(Progress_Window* progress, const char* format, ...)
    LOG_PRINTF_FORMAT(2, 3);
inline void Progress_Text(Progress_Window* progress, const char* format, ...) {
    if (!progress) return;
    char line[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    progress->text(line);
}

inline void Progress_Set(Progress_Window* progress, int value) {
    if (progress) progress->set(value);
}

inline void Progress_Add(Progress_Window* progress, int delta) {
    if (progress) progress->add(delta);
}

inline void Progress_Range(Progress_Window* progress, int maximum) {
    if (progress) progress->range(maximum);
}

inline int Progress_Cancelled(const Progress_Window* progress) {
    return progress && progress->cancelled() ? 1 : 0;
}

inline void Progress_Counted(Progress_Window* progress, int files) {
    if (progress) progress->counted(files);
}

inline void Progress_Close(Progress_Window* progress) {
    if (progress) progress->close();
}
