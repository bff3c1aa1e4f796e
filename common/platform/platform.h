// The portable core includes this instead of <windows.h>. On Windows it is <windows.h>; on
// other systems a small stand-in supplies the few types and calls the core uses.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "winshim.h"
#endif
