#pragma once
// <windows.h> for the real machine's code, which calls the W functions by
// their full names. The seam's method names avoid the A/W macros of
// <windows.h>; the three that once clashed are still removed here so that a
// file of this folder never depends on them.
#include <windows.h>

#undef GetVersionEx
#undef QueryDosDevice
#undef DefineDosDevice
