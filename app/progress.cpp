#include "app/progress.h"

#include <cstdarg>
#include <cstdio>

void Progress_Show(Progress_Window* progress) {
    if (progress) progress->show();
}

void Progress_Text(Progress_Window* progress, const char* format, ...) {
    if (!progress) return;
    char line[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    progress->text(line);
}

void Progress_Set(Progress_Window* progress, int value) {
    if (progress) progress->set(value);
}

void Progress_Add(Progress_Window* progress, int delta) {
    if (progress) progress->add(delta);
}

void Progress_Range(Progress_Window* progress, int maximum) {
    if (progress) progress->range(maximum);
}

int Progress_Cancelled(const Progress_Window* progress) { return progress && progress->cancelled() ? 1 : 0; }

void Progress_Close(Progress_Window* progress) {
    if (progress) progress->close();
}
