#ifndef VEXLO_PLATFORM_PROFILE_FUNCTIONS_H
#define VEXLO_PLATFORM_PROFILE_FUNCTIONS_H

// The profile functions parameter access calls. This system has none of its
// own, so they are ours (profile/). The build puts this folder or
// platform/windows on the include path, never both.

#include "profile/private_profile.h"

#endif
