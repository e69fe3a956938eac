#include "app/power_actions.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
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

// What the user (through the recorded message box) and the faked calls
// answer. A call with an error code other than 0 fails with it;
// AdjustTokenPrivileges leaves its error whatever it returns, as Windows does.
struct Answers {
    int confirm = IDYES;
    DWORD openError = 0;
    DWORD lookupError = 0;
    BOOL adjustResult = TRUE;
    DWORD adjustError = 0;
    BOOL exitResult = TRUE;
    DWORD exitError = 0;
};

struct ExitCall {
    UINT flags;
    DWORD reason;
};

// The answers, and what the fakes saw.
struct FakeWindows {
    Answers answers;

    int opens = 0;
    HANDLE openProcess = nullptr;
    DWORD openAccess = 0;
    std::vector<HANDLE> tokens;  // every token handed out, closed or not

    bool lookupOnLocalSystem = false;
    std::wstring lookupName;
    LUID luid{0x2a, 0x13};

    int adjusts = 0;
    HANDLE adjustToken = nullptr;
    BOOL adjustDisableAll = TRUE;
    DWORD adjustCount = 0;
    DWORD adjustAttributes = 0;
    LUID adjustLuid{};
    DWORD adjustBufferLength = 99;
    bool adjustNoPreviousState = false;
    DWORD lastErrorBeforeAdjust = 0xFFFFFFFF;

    std::vector<ExitCall> exits;
};

FakeWindows* fake = nullptr;

BOOL WINAPI fakeOpenProcessToken(HANDLE process, DWORD access, PHANDLE token)
{
    ++fake->opens;
    fake->openProcess = process;
    fake->openAccess = access;
    if (fake->answers.openError != 0) {
        SetLastError(fake->answers.openError);
        return FALSE;
    }
    // A real handle, so that closing it can be checked.
    *token = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    fake->tokens.push_back(*token);
    return TRUE;
}

BOOL WINAPI fakeLookupPrivilegeValue(LPCWSTR systemName, LPCWSTR name, PLUID luid)
{
    fake->lookupOnLocalSystem = systemName == nullptr;
    fake->lookupName = name != nullptr ? name : L"(null)";
    if (fake->answers.lookupError != 0) {
        SetLastError(fake->answers.lookupError);
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
    // A success with nothing to say does not touch the last error.
    if (fake->answers.adjustError != 0) {
        SetLastError(fake->answers.adjustError);
    }
    return fake->answers.adjustResult;
}

BOOL WINAPI fakeExitWindows(UINT flags, DWORD reason)
{
    fake->exits.push_back({flags, reason});
    if (!fake->answers.exitResult) {
        SetLastError(fake->answers.exitError);
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

    // Fresh fakes that answer so.
    void arrange(const Answers& answers)
    {
        fakes_ = FakeWindows{};
        fakes_.answers = answers;
        shownBoxes.clear();
        boxAnswer = answers.confirm;
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

    [[nodiscard]] std::vector<std::wstring> boxTexts() const
    {
        std::vector<std::wstring> texts;
        texts.reserve(shownBoxes.size());
        for (const ShownBox& box : shownBoxes) {
            texts.push_back(box.text);
        }
        return texts;
    }

    FakeWindows fakes_;
    PowerCalls calls_{fakeExitWindows, fakeOpenProcessToken, fakeLookupPrivilegeValue, fakeAdjustTokenPrivileges};
    // Only handed on to the faked box, so it need not be a window (and these
    // tests need no display).
    const HWND owner_ = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x4D2));
};

}  // namespace

// Every script runs for each of the three actions: the question first, then,
// once the user says yes, the privilege for the two that need it, then
// ExitWindowsEx. A step that fails shows why in a second box and starts nothing.
TEST_F(PowerActions, EachScriptEndsInItsBoxesAndRequest)
{
    const auto words = [](DWORD code) { return windowsErrorMessage(code); };
    const struct {
        const char* name;
        Answers answers;
        std::wstring privilegeRefused;  // why the privilege could not be enabled; empty: it was
        std::wstring exitRefused;       // Windows' words for refusing the request; empty: accepted
    } scripts[] =
        {{"no", {.confirm = IDNO}, L"", L""},
         {"cancel", {.confirm = IDCANCEL}, L"", L""},
         {"no box", {.confirm = 0}, L"", L""},
         {"yes", {}, L"", L""},
         {"token not opened",
          {.openError = ERROR_ACCESS_DENIED},
          L"this program's token could not be opened: " + words(ERROR_ACCESS_DENIED),
          L""},
         {"privilege not looked up",
          {.lookupError = ERROR_NO_SUCH_PRIVILEGE},
          L"the shutdown privilege could not be looked up: " + words(ERROR_NO_SUCH_PRIVILEGE),
          L""},
         {"account without the privilege",
          {.adjustError = ERROR_NOT_ALL_ASSIGNED},
          L"this account does not hold the shutdown privilege",
          L""},
         {"adjustment failed",
          {.adjustResult = FALSE, .adjustError = ERROR_INVALID_HANDLE},
          L"the shutdown privilege could not be enabled: " + words(ERROR_INVALID_HANDLE),
          L""},
         {"adjustment returned true with an error",
          {.adjustError = ERROR_NOT_ENOUGH_MEMORY},
          L"the shutdown privilege could not be enabled: " + words(ERROR_NOT_ENOUGH_MEMORY),
          L""},
         {"adjustment returned false without an error: only the last error counts",
          {.adjustResult = FALSE},
          L"",
          L""},
         {"refused", {.exitResult = FALSE, .exitError = ERROR_ACCESS_DENIED}, L"", words(ERROR_ACCESS_DENIED)},
         {"refused while shutting down",
          {.exitResult = FALSE, .exitError = ERROR_SHUTDOWN_IN_PROGRESS},
          L"",
          words(ERROR_SHUTDOWN_IN_PROGRESS)},
         {"refused without an error code", {.exitResult = FALSE}, L"", words(0)}};
    for (const auto& script : scripts) {
        for (const Action& action : kActions) {
            SCOPED_TRACE(testing::Message() << script.name << ", " << action.name);
            arrange(script.answers);
            powerAction(calls_, recordMessageBox, owner_, action.flags, action.confirmation, action.needsPrivilege);

            const bool confirmed = script.answers.confirm == IDYES;
            const bool privileged = confirmed && action.needsPrivilege;
            const bool stopped = privileged && !script.privilegeRefused.empty();
            std::vector<std::wstring> boxes{action.confirmation};
            if (stopped) {
                boxes.push_back(L"Windows did not allow it: " + script.privilegeRefused + kNothingStarted);
            } else if (confirmed && !script.exitRefused.empty()) {
                boxes.push_back(L"Windows refused the request: " + script.exitRefused + kNothingStarted);
            }
            EXPECT_EQ(boxTexts(), boxes);
            for (size_t i = 0; i < shownBoxes.size(); ++i) {
                EXPECT_EQ(shownBoxes[i].flags, i == 0 ? kConfirmFlags : kErrorFlags) << "box " << i;
                EXPECT_EQ(shownBoxes[i].caption, L"Korvane") << "box " << i;
                EXPECT_EQ(shownBoxes[i].owner, owner_) << "box " << i;
                EXPECT_EQ(shownBoxes[i].text.find(L"..\r\n"), std::wstring::npos) << "a doubled full stop";
            }
            EXPECT_EQ(fakes_.opens, privileged ? 1 : 0) << "the token is opened only after yes, and only if needed";
            ASSERT_EQ(fakes_.exits.size(), confirmed && !stopped ? 1u : 0u);
            if (!fakes_.exits.empty()) {
                EXPECT_EQ(fakes_.exits[0].flags, action.flags);
                EXPECT_EQ(fakes_.exits[0].reason, 0x80000000u) << "planned, major and minor reason 0";
            }
            EXPECT_TRUE(allTokensClosed()) << "the token was left open";
        }
    }
}

TEST_F(PowerActions, EnablingAsksForTheShutdownPrivilegeInTheOwnToken)
{
    std::wstring reason = L"stale";
    ASSERT_TRUE(enableShutdownPrivilege(calls_, reason));
    EXPECT_TRUE(reason.empty()) << "reason: " << testing::PrintToString(reason);

    EXPECT_EQ(fakes_.openProcess, GetCurrentProcess());
    EXPECT_EQ(fakes_.openAccess, 0x28u) << "TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY";
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
}

// A restart Windows refused, outright or for want of the privilege, can be
// asked for again: the privilege is enabled again and the question asked again.
TEST_F(PowerActions, ARefusedRestartCanBeAskedForAgain)
{
    for (const Answers& refusal : {Answers{.exitResult = FALSE, .exitError = ERROR_SHUTDOWN_IN_PROGRESS},
                                   Answers{.adjustError = ERROR_NOT_ALL_ASSIGNED}}) {
        arrange(refusal);
        powerAction(calls_, recordMessageBox, owner_, 2, kRestartText, true);
        fakes_.answers = Answers{};
        powerAction(calls_, recordMessageBox, owner_, 2, kRestartText, true);
        EXPECT_EQ(fakes_.opens, 2);
        EXPECT_EQ(shownBoxes.size(), 3u) << "the question, the refusal, the question again";
        ASSERT_FALSE(fakes_.exits.empty());
        EXPECT_EQ(fakes_.exits.back().flags, 2u);
        EXPECT_TRUE(allTokensClosed());
    }
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

// The real main window, with the power calls faked (its boxes are recorded).
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
        ASSERT_NO_FATAL_FAILURE(startWindow(instantScan, calls));
    }
};

}  // namespace

// Each Power command reaches powerAction with its own flags, question and
// privilege; the boxes belong to the window, which carries on when Windows
// refuses. The answers themselves are the table's above.
TEST_F(PowerCommands, EachCommandAsksWindowsForItsOwnAction)
{
    const HWND window = app().handle();
    const size_t rows = listRows(app()).size();
    ASSERT_GT(rows, 0u);
    for (const Action& action : kActions) {
        SCOPED_TRACE(action.name);
        arrange({.exitResult = FALSE, .exitError = ERROR_ACCESS_DENIED});
        // From an accelerator-like high word: the same command.
        EXPECT_EQ(SendMessageW(window, WM_COMMAND, MAKEWPARAM(action.command, 1), 0), 0);
        ASSERT_EQ(shownBoxes.size(), 2u);
        EXPECT_EQ(shownBoxes[0].text, action.confirmation);
        EXPECT_EQ(shownBoxes[0].owner, window);
        EXPECT_EQ(shownBoxes[1].owner, window);
        EXPECT_EQ(fakes_.opens, action.needsPrivilege ? 1 : 0);
        ASSERT_EQ(fakes_.exits.size(), 1u);
        EXPECT_EQ(fakes_.exits[0].flags, action.flags);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(listRows(app()).size(), rows);
    }
}
