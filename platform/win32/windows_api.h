#pragma once
// <windows.h> for the real machine's code. Three of its A/W macros have the
// names of seam methods (GetVersionEx, QueryDosDevice, DefineDosDevice) and
// would rename them; they are removed here, and the code calls the W
// functions by their full names. Include this (or any header of this folder)
// before "platform/platform.h" in a file that also includes <windows.h>.
#include <windows.h>

#undef GetVersionEx
#undef QueryDosDevice
#undef DefineDosDevice
