#include "components/odbc/processend.h"

#include <cstdio>
#include <cstdlib>

#include <windows.h>

void EndProcessNow(int status) {
    std::fflush(nullptr);
    // _Exit ends in ExitProcess, which still calls every library's detach
    // routine, the driver's among them, under the stuck thread. Ending the
    // own process calls none.
    TerminateProcess(GetCurrentProcess(), UINT(status));
    // Not reached; TerminateProcess of the own process does not return.
    std::abort();
}
