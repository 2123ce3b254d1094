// Entry point: hands over to start-up, with the windows when they are built in.
#include "app/startup.h"

int main(int argc, char** argv) {
#ifdef KESTRAPOL_WITH_WINDOWS
    return Kestrapol_Main(argc, argv, Kestrapol_Windows_Run);
#else
    return Kestrapol_Main(argc, argv, nullptr);
#endif
}
