#pragma once

#include <windows.h>

#include <string>

#include "common/message_box.h"

// The Windows calls of the power actions. Tests pass others, above all for
// ExitWindowsEx, which must never run from a test.
struct PowerCalls {
    BOOL(WINAPI* exitWindows)(UINT flags, DWORD reason);
    BOOL(WINAPI* openProcessToken)(HANDLE process, DWORD access, PHANDLE token);
    BOOL(WINAPI* lookupPrivilegeValue)(LPCWSTR systemName, LPCWSTR name, PLUID luid);
    BOOL(WINAPI* adjustTokenPrivileges)
    (HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
     PDWORD returnLength);
};

// The real calls.
[[nodiscard]] PowerCalls windowsPowerCalls();

// Log Off, Restart and Shut Down: confirm, enable the shutdown privilege when
// the action needs it, then ask Windows with ExitWindowsEx. Every outcome the
// user must know of is shown in a box owned by `owner`.
void powerAction(const PowerCalls& calls, MessageBoxFunction messageBox, HWND owner, UINT flags,
                 const std::wstring& confirmation, bool needsPrivilege);

// Enables SeShutdownPrivilege in this process's token. False with the reason
// when Windows does not allow it. Once enabled it stays enabled.
[[nodiscard]] bool enableShutdownPrivilege(const PowerCalls& calls, std::wstring& reason);
