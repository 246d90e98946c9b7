#pragma once

// The one way the Windows implementation files include the Win32 API: the
// lean header, without the min/max macros that would break std::min and
// std::max.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
