#include "CoreDumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

bool DisableCoreDumps() {
    const rlimit none{0, 0};
    const bool limited = ::setrlimit(RLIMIT_CORE, &none) == 0;
    // Not dumpable also keeps /proc/PID/mem and ptrace from other processes of the user.
    const bool undumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return limited && undumpable;
}
