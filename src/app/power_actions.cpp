#include "app/power_actions.h"

#include "app/power_decision.h"
#include "common/unique_resource.h"

static_assert(kPlannedShutdownReason == SHTDN_REASON_FLAG_PLANNED);
static_assert(kErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED);

PowerCalls windowsPowerCalls()
{
    return PowerCalls{ExitWindowsEx, OpenProcessToken, LookupPrivilegeValueW, AdjustTokenPrivileges};
}

bool enableShutdownPrivilege(const PowerCalls& calls, std::wstring& reason)
{
    UniqueHandle token;
    if (!calls.openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
        const DWORD error = GetLastError();
        reason = tokenOpenFailureReason(error);
        return false;
    }

    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!calls.lookupPrivilegeValue(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
        const DWORD error = GetLastError();
        reason = privilegeLookupFailureReason(error);
        return false;
    }

    // AdjustTokenPrivileges reports success even when it enabled nothing;
    // only the last error tells, so it must start from 0.
    SetLastError(0);
    static_cast<void>(calls.adjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr));
    const DWORD error = GetLastError();
    reason = privilegeAdjustFailureReason(error);
    return error == 0;
}

void powerAction(const PowerCalls& calls, MessageBoxFunction messageBox, HWND owner, UINT flags,
                 const std::wstring& confirmation, bool needsPrivilege)
{
    if (showMessage(messageBox, owner, confirmation, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    // Enabled only now, once the user has said yes, and left enabled.
    if (needsPrivilege) {
        std::wstring reason;
        if (!enableShutdownPrivilege(calls, reason)) {
            showMessage(messageBox, owner, privilegeRefusedMessage(reason), MB_ICONERROR);
            return;
        }
    }
    if (!calls.exitWindows(flags, kPlannedShutdownReason)) {
        const DWORD error = GetLastError();
        showMessage(messageBox, owner, exitRefusedMessage(error), MB_ICONERROR);
    }
    // Accepted: Windows ends the session and closes the window in its own time.
}
