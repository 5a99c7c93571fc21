// Windows load entry of Nebulastra.aex. The effect keeps no per-thread state, so it asks Windows
// not to call it for every thread the host starts and stops. C linkage: the runtime start-up code
// looks for the unmangled name.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
