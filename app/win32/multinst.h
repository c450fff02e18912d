#pragma once
// The single-instance guard: a named mutex tells a second start that another
// instance runs; a registered message with the same name lets the new instance
// announce itself and the running one answer with its window, which the new
// instance then raises before it ends.
#include <windows.h>

namespace lum::win {

extern const wchar_t kInstanceName[];

// Installs the guard on the application's hidden window. Returns true when
// another instance was found (the main window must then not be shown).
bool InstallInstanceGuard();
// Puts the old window procedure back and closes the mutex.
void RemoveInstanceGuard();
UINT InstanceMessage();

}  // namespace lum::win
