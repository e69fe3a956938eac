#include "app/power_actions.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/power_decision.h"
#include "common/unique_resource.h"
#include "common/windows_failure.h"
#include "support/window_harness.h"

namespace {

constexpr wchar_t kLogOffText[] = L"Log off now?\r\n\r\nAnything not saved in your open programs will be lost.";
constexpr wchar_t kRestartText[] =
    L"Restart this computer now?\r\n\r\nAnything not saved in your open programs will be lost.";
constexpr wchar_t kShutDownText[] =
    L"Shut this computer down now?\r\n\r\nAnything not saved in your open programs will be lost.";
constexpr wchar_t kNothingStarted[] = L".\r\n\r\nNothing was started.";
// MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, and MB_ICONERROR with OK.
constexpr UINT kConfirmFlags = 0x4 | 0x30 | 0x100;
constexpr UINT kErrorFlags = 0x10;

struct ExitCall {
    UINT flags;
    DWORD reason;
};

// What the fakes answer and what they saw.
struct FakeWindows {
    int confirmAnswer = IDYES;
    std::vector<ShownBox> boxes;

    BOOL openResult = TRUE;
    DWORD openError = 0;
    int opens = 0;
    HANDLE openProcess = nullptr;
    DWORD openAccess = 0;
    std::vector<HANDLE> tokens;  // every token handed out, closed or not

    BOOL lookupResult = TRUE;
    DWORD lookupError = 0;
    int lookups = 0;
    bool lookupOnLocalSystem = false;
    std::wstring lookupName;
    LUID luid{0x2a, 0x13};

    BOOL adjustResult = TRUE;
    DWORD adjustError = 0;
    int adjusts = 0;
    HANDLE adjustToken = nullptr;
    BOOL adjustDisableAll = TRUE;
    DWORD adjustCount = 0;
    DWORD adjustAttributes = 0;
    LUID adjustLuid{};
    DWORD adjustBufferLength = 99;
    bool adjustNoPreviousState = false;
    DWORD lastErrorBeforeAdjust = 0xFFFFFFFF;

    BOOL exitResult = TRUE;
    DWORD exitError = 0;
    std::vector<ExitCall> exits;
};

FakeWindows* fake = nullptr;

int WINAPI fakeMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags)
{
    fake->boxes.push_back({owner, text, caption, flags});
    return (flags & MB_YESNO) != 0 ? fake->confirmAnswer : IDOK;
}

BOOL WINAPI fakeOpenProcessToken(HANDLE process, DWORD access, PHANDLE token)
{
    ++fake->opens;
    fake->openProcess = process;
    fake->openAccess = access;
    if (!fake->openResult) {
        SetLastError(fake->openError);
        return FALSE;
    }
    // A real handle, so that closing it can be checked.
    *token = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    fake->tokens.push_back(*token);
    return TRUE;
}

BOOL WINAPI fakeLookupPrivilegeValue(LPCWSTR systemName, LPCWSTR name, PLUID luid)
{
    ++fake->lookups;
    fake->lookupOnLocalSystem = systemName == nullptr;
    fake->lookupName = name != nullptr ? name : L"(null)";
    if (!fake->lookupResult) {
        SetLastError(fake->lookupError);
        return FALSE;
    }
    *luid = fake->luid;
    // Successful calls may leave a stale last error behind.
    SetLastError(ERROR_MORE_DATA);
    return TRUE;
}

BOOL WINAPI fakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                                      PTOKEN_PRIVILEGES previousState, PDWORD returnLength)
{
    fake->lastErrorBeforeAdjust = GetLastError();
    ++fake->adjusts;
    fake->adjustToken = token;
    fake->adjustDisableAll = disableAll;
    fake->adjustCount = newState->PrivilegeCount;
    fake->adjustAttributes = newState->Privileges[0].Attributes;
    fake->adjustLuid = newState->Privileges[0].Luid;
    fake->adjustBufferLength = bufferLength;
    fake->adjustNoPreviousState = previousState == nullptr && returnLength == nullptr;
    // Like Windows: a success may still leave ERROR_NOT_ALL_ASSIGNED, and a
    // success with nothing to say does not touch the last error.
    if (fake->adjustError != 0) {
        SetLastError(fake->adjustError);
    }
    return fake->adjustResult;
}

BOOL WINAPI fakeExitWindows(UINT flags, DWORD reason)
{
    fake->exits.push_back({flags, reason});
    if (!fake->exitResult) {
        SetLastError(fake->exitError);
        return FALSE;
    }
    return TRUE;
}

bool handleIsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

struct Action {
    const char* name;
    UINT flags;
    const wchar_t* confirmation;
    bool needsPrivilege;
    WORD command;
};

const Action kActions[] = {{"log off", 0, kLogOffText, false, IDM_LOG_OFF},
                           {"restart", 2, kRestartText, true, IDM_RESTART},
                           {"shut down", 9, kShutDownText, true, IDM_SHUT_DOWN}};

class PowerActions : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        fake = &fakes_;
        ASSERT_NE(calls_.exitWindows, windowsPowerCalls().exitWindows);
    }

    void TearDown() override
    {
        WindowTest::TearDown();
        fake = nullptr;
    }

    // True when every token the fake handed out has been closed again.
    [[nodiscard]] bool allTokensClosed() const
    {
        for (const HANDLE token : fakes_.tokens) {
            if (handleIsOpen(token)) {
                return false;
            }
        }
        return true;
    }

    void expectConfirmation(const ShownBox& box, const wchar_t* text, HWND owner) const
    {
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, L"Korvane");
        EXPECT_EQ(box.flags, kConfirmFlags);
        EXPECT_EQ(box.owner, owner);
    }

    void expectError(const ShownBox& box, const std::wstring& text, HWND owner) const
    {
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, L"Korvane");
        EXPECT_EQ(box.flags, kErrorFlags);
        EXPECT_EQ(box.owner, owner);
    }

    FakeWindows fakes_;
    PowerCalls calls_{fakeExitWindows, fakeOpenProcessToken, fakeLookupPrivilegeValue, fakeAdjustTokenPrivileges};
    // Only handed on to the faked box, so it need not be a window (and these
    // tests need no display).
    const HWND owner_ = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x4D2));
};

}  // namespace

TEST_F(PowerActions, AnyAnswerButYesDoesNothing)
{
    for (const Action& action : kActions) {
        for (const int answer : {IDNO, IDCANCEL, 0}) {
            SCOPED_TRACE(testing::Message() << action.name << ", answer " << answer);
            fakes_ = FakeWindows{};
            fakes_.confirmAnswer = answer;
            powerAction(calls_, fakeMessageBox, owner_, action.flags, action.confirmation, action.needsPrivilege);
            ASSERT_EQ(fakes_.boxes.size(), 1u) << "only the question is shown";
            expectConfirmation(fakes_.boxes[0], action.confirmation, owner_);
            EXPECT_EQ(fakes_.opens, 0) << "the token was opened before the user said yes";
            EXPECT_EQ(fakes_.adjusts, 0);
            EXPECT_TRUE(fakes_.exits.empty()) << "ExitWindowsEx was called";
        }
    }
}

TEST_F(PowerActions, ConfirmedActionsAskWindowsWithTheirFlagsAndThePlannedReason)
{
    for (const Action& action : kActions) {
        SCOPED_TRACE(action.name);
        fakes_ = FakeWindows{};
        powerAction(calls_, fakeMessageBox, owner_, action.flags, action.confirmation, action.needsPrivilege);
        ASSERT_EQ(fakes_.boxes.size(), 1u) << "an accepted request shows nothing more";
        expectConfirmation(fakes_.boxes[0], action.confirmation, owner_);
        ASSERT_EQ(fakes_.exits.size(), 1u);
        EXPECT_EQ(fakes_.exits[0].flags, action.flags);
        EXPECT_EQ(fakes_.exits[0].reason, 0x80000000u) << "planned, major and minor reason 0";
        EXPECT_EQ(fakes_.opens, action.needsPrivilege ? 1 : 0);
        EXPECT_EQ(fakes_.adjusts, action.needsPrivilege ? 1 : 0);
        EXPECT_TRUE(allTokensClosed());
    }
}

TEST_F(PowerActions, EnablingUsesTheOwnTokenAndTheLastErrorOfTheAdjustment)
{
    std::wstring reason = L"stale";
    ASSERT_TRUE(enableShutdownPrivilege(calls_, reason));
    EXPECT_TRUE(reason.empty()) << "reason: " << testing::PrintToString(reason);

    EXPECT_EQ(fakes_.opens, 1);
    EXPECT_EQ(fakes_.openProcess, GetCurrentProcess());
    EXPECT_EQ(fakes_.openAccess, 0x28u) << "TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY";
    EXPECT_EQ(fakes_.lookups, 1);
    EXPECT_TRUE(fakes_.lookupOnLocalSystem);
    EXPECT_EQ(fakes_.lookupName, L"SeShutdownPrivilege");
    ASSERT_EQ(fakes_.adjusts, 1);
    ASSERT_EQ(fakes_.tokens.size(), 1u);
    EXPECT_EQ(fakes_.adjustToken, fakes_.tokens[0]);
    EXPECT_FALSE(fakes_.adjustDisableAll);
    EXPECT_EQ(fakes_.adjustCount, 1u);
    EXPECT_EQ(fakes_.adjustAttributes, 2u) << "SE_PRIVILEGE_ENABLED";
    EXPECT_EQ(fakes_.adjustLuid.LowPart, fakes_.luid.LowPart) << "not the looked-up privilege";
    EXPECT_EQ(fakes_.adjustLuid.HighPart, fakes_.luid.HighPart) << "not the looked-up privilege";
    EXPECT_EQ(fakes_.adjustBufferLength, 0u);
    EXPECT_TRUE(fakes_.adjustNoPreviousState);
    EXPECT_EQ(fakes_.lastErrorBeforeAdjust, 0u) << "the last error was not cleared before the adjustment";
    EXPECT_TRUE(allTokensClosed()) << "the token was left open";

    // Only the last error counts, not what the call returned.
    fakes_ = FakeWindows{};
    fakes_.adjustResult = FALSE;
    EXPECT_TRUE(enableShutdownPrivilege(calls_, reason));
    EXPECT_TRUE(allTokensClosed());
}

TEST_F(PowerActions, EveryPrivilegeFailureHasItsReasonAndStartsNothing)
{
    const struct {
        const char* name;
        BOOL openResult;
        DWORD openError;
        BOOL lookupResult;
        DWORD lookupError;
        BOOL adjustResult;
        DWORD adjustError;
        std::wstring reason;
        int lookups;
        int adjusts;
    } cases[] = {{"token not opened", FALSE, ERROR_ACCESS_DENIED, TRUE, 0, TRUE, 0,
                  L"this program's token could not be opened: " + windowsErrorMessage(ERROR_ACCESS_DENIED), 0, 0},
                 {"privilege not looked up", TRUE, 0, FALSE, ERROR_NO_SUCH_PRIVILEGE, TRUE, 0,
                  L"the shutdown privilege could not be looked up: " + windowsErrorMessage(ERROR_NO_SUCH_PRIVILEGE),
                  1, 0},
                 {"account without the privilege", TRUE, 0, TRUE, 0, TRUE, ERROR_NOT_ALL_ASSIGNED,
                  L"this account does not hold the shutdown privilege", 1, 1},
                 {"adjustment failed", TRUE, 0, TRUE, 0, FALSE, ERROR_INVALID_HANDLE,
                  L"the shutdown privilege could not be enabled: " + windowsErrorMessage(ERROR_INVALID_HANDLE), 1, 1},
                 {"adjustment returned true with an error", TRUE, 0, TRUE, 0, TRUE, ERROR_NOT_ENOUGH_MEMORY,
                  L"the shutdown privilege could not be enabled: " + windowsErrorMessage(ERROR_NOT_ENOUGH_MEMORY), 1,
                  1}};
    for (const auto& failure : cases) {
        SCOPED_TRACE(failure.name);
        const auto arrange = [&] {
            fakes_ = FakeWindows{};
            fakes_.openResult = failure.openResult;
            fakes_.openError = failure.openError;
            fakes_.lookupResult = failure.lookupResult;
            fakes_.lookupError = failure.lookupError;
            fakes_.adjustResult = failure.adjustResult;
            fakes_.adjustError = failure.adjustError;
        };

        arrange();
        std::wstring reason;
        EXPECT_FALSE(enableShutdownPrivilege(calls_, reason));
        EXPECT_EQ(reason, failure.reason);
        EXPECT_EQ(fakes_.lookups, failure.lookups);
        EXPECT_EQ(fakes_.adjusts, failure.adjusts);
        EXPECT_TRUE(allTokensClosed()) << "the token was left open";

        for (const Action& action : kActions) {
            if (!action.needsPrivilege) {
                continue;
            }
            SCOPED_TRACE(action.name);
            arrange();
            powerAction(calls_, fakeMessageBox, owner_, action.flags, action.confirmation, true);
            ASSERT_EQ(fakes_.boxes.size(), 2u);
            expectConfirmation(fakes_.boxes[0], action.confirmation, owner_);
            expectError(fakes_.boxes[1], L"Windows did not allow it: " + failure.reason + kNothingStarted, owner_);
            EXPECT_TRUE(fakes_.exits.empty()) << "ExitWindowsEx was called without the privilege";
            EXPECT_TRUE(allTokensClosed());
        }
    }

    // The whole sentence once, as the user reads it.
    EXPECT_EQ(privilegeRefusedMessage(L"this account does not hold the shutdown privilege"),
              L"Windows did not allow it: this account does not hold the shutdown privilege.\r\n\r\n"
              L"Nothing was started.");
    EXPECT_EQ(privilegeAdjustFailureReason(0), L"") << "0 means enabled";
}

TEST_F(PowerActions, LogOffNeverTouchesTheToken)
{
    // Whatever the token would say, logging off does not ask.
    for (const DWORD adjustError : {DWORD{0}, DWORD{ERROR_NOT_ALL_ASSIGNED}}) {
        for (const BOOL openResult : {TRUE, FALSE}) {
            SCOPED_TRACE(testing::Message() << "adjust error " << adjustError << ", open " << openResult);
            fakes_ = FakeWindows{};
            fakes_.adjustError = adjustError;
            fakes_.openResult = openResult;
            fakes_.openError = ERROR_ACCESS_DENIED;
            powerAction(calls_, fakeMessageBox, owner_, 0, kLogOffText, false);
            EXPECT_EQ(fakes_.opens, 0);
            EXPECT_EQ(fakes_.lookups, 0);
            EXPECT_EQ(fakes_.adjusts, 0);
            ASSERT_EQ(fakes_.exits.size(), 1u);
            EXPECT_EQ(fakes_.exits[0].flags, 0u);
            EXPECT_EQ(fakes_.boxes.size(), 1u);
        }
    }
}

TEST_F(PowerActions, RefusedRequestShowsWindowsWordsAndCanBeTriedAgain)
{
    for (const Action& action : kActions) {
        for (const DWORD code : {DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_SHUTDOWN_IN_PROGRESS}, DWORD{0}}) {
            SCOPED_TRACE(testing::Message() << action.name << ", error " << code);
            fakes_ = FakeWindows{};
            fakes_.exitResult = FALSE;
            fakes_.exitError = code;
            powerAction(calls_, fakeMessageBox, owner_, action.flags, action.confirmation, action.needsPrivilege);
            ASSERT_EQ(fakes_.exits.size(), 1u);
            ASSERT_EQ(fakes_.boxes.size(), 2u);
            const std::wstring words = windowsErrorMessage(code);
            expectError(fakes_.boxes[1], L"Windows refused the request: " + words + kNothingStarted, owner_);
            EXPECT_EQ(fakes_.boxes[1].text.find(L"..\r\n"), std::wstring::npos) << "a doubled full stop";
            EXPECT_TRUE(allTokensClosed());
        }
    }

    // A second restart after Windows refused the first enables the privilege
    // again (the token holds it already; enabling again succeeds) and asks again.
    fakes_ = FakeWindows{};
    fakes_.exitResult = FALSE;
    fakes_.exitError = ERROR_SHUTDOWN_IN_PROGRESS;
    powerAction(calls_, fakeMessageBox, owner_, 2, kRestartText, true);
    ASSERT_EQ(fakes_.boxes.size(), 2u);
    fakes_.exitResult = TRUE;
    powerAction(calls_, fakeMessageBox, owner_, 2, kRestartText, true);
    EXPECT_EQ(fakes_.opens, 2);
    EXPECT_EQ(fakes_.adjusts, 2);
    ASSERT_EQ(fakes_.exits.size(), 2u);
    EXPECT_EQ(fakes_.exits[1].flags, 2u);
    EXPECT_EQ(fakes_.boxes.size(), 3u) << "the accepted second request shows only its question";
    EXPECT_TRUE(allTokensClosed());

    // After a refusal for want of the privilege, too.
    fakes_ = FakeWindows{};
    fakes_.adjustError = ERROR_NOT_ALL_ASSIGNED;
    powerAction(calls_, fakeMessageBox, owner_, 9, kShutDownText, true);
    EXPECT_TRUE(fakes_.exits.empty());
    fakes_.adjustError = 0;
    powerAction(calls_, fakeMessageBox, owner_, 9, kShutDownText, true);
    ASSERT_EQ(fakes_.exits.size(), 1u);
    EXPECT_EQ(fakes_.exits[0].flags, 9u);
}

// Windows' own token calls on this process's token: enabling a privilege the
// process holds anyway changes nothing outside it.
TEST_F(PowerActions, EnablesTheShutdownPrivilegeInTheRealToken)
{
    const PowerCalls real = windowsPowerCalls();
    calls_.openProcessToken = real.openProcessToken;
    calls_.lookupPrivilegeValue = real.lookupPrivilegeValue;
    calls_.adjustTokenPrivileges = real.adjustTokenPrivileges;
    ASSERT_EQ(calls_.exitWindows, &fakeExitWindows);

    std::wstring reason;
    const bool enabled = enableShutdownPrivilege(calls_, reason);
    std::printf("enableShutdownPrivilege on this system: %s %ls\n", enabled ? "enabled" : "refused:", reason.c_str());
    if (!enabled) {
        const bool known = reason == L"this account does not hold the shutdown privilege" ||
                           reason.rfind(L"this program's token could not be opened: ", 0) == 0 ||
                           reason.rfind(L"the shutdown privilege could not be looked up: ", 0) == 0 ||
                           reason.rfind(L"the shutdown privilege could not be enabled: ", 0) == 0;
        EXPECT_TRUE(known) << "unexpected reason: " << testing::PrintToString(reason);
        return;
    }
    EXPECT_TRUE(reason.empty());

    // The token now says so itself.
    HANDLE rawToken = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken));
    const UniqueHandle token(rawToken);
    LUID shutdown{};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &shutdown));
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> buffer(size);
    ASSERT_TRUE(GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), size, &size));
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    bool found = false;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == shutdown.LowPart && entry.Luid.HighPart == shutdown.HighPart) {
            found = true;
            EXPECT_NE(entry.Attributes & SE_PRIVILEGE_ENABLED, 0u) << "reported enabled, but the token disagrees";
        }
    }
    EXPECT_TRUE(found) << "the token does not list SeShutdownPrivilege";

    // Enabling again succeeds too, and leaves no handle behind.
    DWORD handlesBefore = 0;
    const bool counted = GetProcessHandleCount(GetCurrentProcess(), &handlesBefore) != FALSE;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(enableShutdownPrivilege(calls_, reason)) << reason;
    }
    DWORD handlesAfter = 0;
    if (counted && GetProcessHandleCount(GetCurrentProcess(), &handlesAfter) && handlesBefore > 0) {
        EXPECT_LE(handlesAfter, handlesBefore) << "token handles were left open";
    }
}

namespace {

// The real main window, with the power calls and message boxes faked.
class PowerCommands : public PowerActions {
protected:
    void SetUp() override
    {
        PowerActions::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        MainWindowCalls calls;
        calls.power = calls_;
        calls.messageBox = fakeMessageBox;
        ASSERT_NO_FATAL_FAILURE(startWindow(instantScan, calls));
    }
};

}  // namespace

// The Power menu's commands reach the real main window's procedure.
TEST_F(PowerCommands, ConfirmAndAskWindowsWithTheTableValues)
{
    const HWND window = app().handle();
    const auto rowsBefore = listRows(app());
    const std::wstring statusBefore = statusPart(app(), 1);
    ASSERT_FALSE(rowsBefore.empty());

    for (const Action& action : kActions) {
        SCOPED_TRACE(action.name);

        fakes_ = FakeWindows{};
        fakes_.confirmAnswer = IDNO;
        EXPECT_EQ(SendMessageW(window, WM_COMMAND, MAKEWPARAM(action.command, 0), 0), 0);
        ASSERT_EQ(fakes_.boxes.size(), 1u);
        expectConfirmation(fakes_.boxes[0], action.confirmation, window);
        EXPECT_EQ(fakes_.opens, 0);
        EXPECT_TRUE(fakes_.exits.empty());

        // Yes, from an accelerator-like high word: the same command.
        fakes_ = FakeWindows{};
        EXPECT_EQ(SendMessageW(window, WM_COMMAND, MAKEWPARAM(action.command, 1), 0), 0);
        ASSERT_EQ(fakes_.exits.size(), 1u);
        EXPECT_EQ(fakes_.exits[0].flags, action.flags);
        EXPECT_EQ(fakes_.exits[0].reason, 0x80000000u);
        EXPECT_EQ(fakes_.opens, action.needsPrivilege ? 1 : 0);
        EXPECT_EQ(fakes_.boxes.size(), 1u);

        // Refused by Windows: the box belongs to the window, which carries on.
        fakes_ = FakeWindows{};
        fakes_.exitResult = FALSE;
        fakes_.exitError = ERROR_ACCESS_DENIED;
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(action.command, 0), 0);
        ASSERT_EQ(fakes_.boxes.size(), 2u);
        expectError(fakes_.boxes[1],
                    L"Windows refused the request: " + windowsErrorMessage(ERROR_ACCESS_DENIED) + kNothingStarted,
                    window);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(statusPart(app(), 1), statusBefore);
        EXPECT_EQ(listRows(app()).size(), rowsBefore.size());
        EXPECT_TRUE(allTokensClosed());
    }

    // Restart by an account without the privilege, through the window.
    fakes_ = FakeWindows{};
    fakes_.adjustError = ERROR_NOT_ALL_ASSIGNED;
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_RESTART, 0), 0);
    ASSERT_EQ(fakes_.boxes.size(), 2u);
    expectError(fakes_.boxes[1],
                L"Windows did not allow it: this account does not hold the shutdown privilege.\r\n\r\n"
                L"Nothing was started.",
                window);
    EXPECT_TRUE(fakes_.exits.empty());
}
