// An engine library that lacks XL_QueryTaskInfoEx, to show that such a
// library is not bound. It never runs a task.
#include <windows.h>

extern "C" {
BOOL WINAPI XL_Init() { return TRUE; }
HANDLE WINAPI XL_CreateTask(void*) { return nullptr; }
BOOL WINAPI XL_StartTask(HANDLE) { return FALSE; }
BOOL WINAPI XL_QueryTaskInfo(HANDLE, void*) { return FALSE; }
}
