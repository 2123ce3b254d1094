// Entry point: hands over to start-up, with the windows built in (Windows; kestrapolw.exe:
// always the window) or loaded when they open (Linux).
#include "app/startup.h"

int main(int argc, char** argv) {
#if defined(KESTRAPOL_WINDOW_ONLY)
    return Kestrapol_Main(argc, argv, Kestrapol_Interactive_Run, true);
#elif defined(KESTRAPOL_WINDOW_LIBRARY)
    return Kestrapol_Main(argc, argv, Kestrapol_Window_Library_Run);
#elif defined(KESTRAPOL_WITH_GUI)
    return Kestrapol_Main(argc, argv, Kestrapol_Interactive_Run);
#else
    return Kestrapol_Main(argc, argv, nullptr);
#endif
}
