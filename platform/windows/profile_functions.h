#ifndef VEXLO_PLATFORM_PROFILE_FUNCTIONS_H
#define VEXLO_PLATFORM_PROFILE_FUNCTIONS_H

// The profile functions parameter access calls: on Windows, the system's
// own GetPrivateProfileStringA and WritePrivateProfileStringA (KERNEL32).
// The build puts this folder or platform/posix on the include path.

#include <windows.h>

#endif
