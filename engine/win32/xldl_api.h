#pragma once
// The twenty calls xldl.dll exports, all stdcall with undecorated names.
//
// The program calls four of them: XL_Init, XL_CreateTask, XL_StartTask and
// XL_QueryTaskInfoEx. The others work as described beside them; a call this
// engine cannot carry out returns FALSE (or NULL for a handle) and changes
// nothing.
#include <windows.h>

#include "engine/task_records.h"

extern "C" {
// Makes the engine ready; TRUE, also when it already was.
BOOL WINAPI XL_Init();
// Stops and forgets every task; TRUE.
BOOL WINAPI XL_UnInit();
// A task for the URL, file name and directory of the record; NULL when the
// record is unusable (empty or over-long texts, a name with a path in it).
HANDLE WINAPI XL_CreateTask(const lum::engine::TaskParams* params);
// Stops the task and forgets it; its partial files stay for a later resume.
BOOL WINAPI XL_DeleteTask(HANDLE task);
BOOL WINAPI XL_StartTask(HANDLE task);
// Stops the transfer (status 2); a later XL_StartTask resumes it.
BOOL WINAPI XL_StopTask(HANDLE task);
BOOL WINAPI XL_ForceStopTask(HANDLE task);  // same as XL_StopTask
// Both fill the record's status, sizes, fraction and speed. For a handle that
// is not a task they store status 1 and return FALSE.
BOOL WINAPI XL_QueryTaskInfo(HANDLE task, lum::engine::TaskInfo* info);
BOOL WINAPI XL_QueryTaskInfoEx(HANDLE task, lum::engine::TaskInfo* info);
// Deletes name.td and name.td.cfg in the record's save directory.
BOOL WINAPI XL_DelTempFile(const lum::engine::TaskParams* params);
// Kilobytes per second for all tasks together; 0 or less removes the limit.
BOOL WINAPI XL_SetSpeedLimit(INT32 kilobytesPerSecond);
// Nothing is uploaded; TRUE.
BOOL WINAPI XL_SetUploadSpeedLimit(INT32 tcpKilobytesPerSecond, INT32 otherKilobytesPerSecond);
// "host:port" of an HTTP proxy for later requests; NULL or "" for the proxy
// Internet Options set for the current user (direct when none is set).
BOOL WINAPI XL_SetProxy(const wchar_t* hostPort);
BOOL WINAPI XL_SetUserAgent(const wchar_t* userAgent);
// Decodes a "thunder://" address into `url` (room for `urlChars` characters
// with the NUL); FALSE when it is not one or does not fit.
BOOL WINAPI XL_ParseThunderPrivateUrl(const wchar_t* thunderUrl, wchar_t* url, INT32 urlChars);
// Asks the server for the file's length; FALSE when it gives none.
BOOL WINAPI XL_GetFileSizeWithUrl(const wchar_t* url, INT64* size);
// Peer-network identities are not used by this engine: FALSE.
BOOL WINAPI XL_SetFileIdAndSize(HANDLE task, const char* fileId, UINT64 size);
// Extra peer-network data is not used by this engine: FALSE.
BOOL WINAPI XL_SetAdditionInfo(HANDLE task, void* info, const wchar_t* text);
// Like XL_CreateTask from separate texts; `resume` is ignored (a task always
// continues from a matching name.td.cfg).
HANDLE WINAPI XL_CreateTaskByURL(const wchar_t* url, const wchar_t* saveDir, const wchar_t* fileName,
                                 BOOL resume);
// Hands a download to the Thunder client, which this engine does not have: NULL.
HANDLE WINAPI XL_CreateTaskByThunder(const wchar_t* url, const wchar_t* fileName, const wchar_t* referer,
                                     const wchar_t* comment, const wchar_t* cookie);
}
