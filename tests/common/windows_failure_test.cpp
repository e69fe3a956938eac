#include "common/windows_failure.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/failure_text.h"

namespace {

// The system's raw message for a code, fetched here independently of the code under test.
std::wstring rawSystemMessage(DWORD code, DWORD language)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                       nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = (length != 0 && buffer != nullptr) ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    return text;
}

bool endsWith(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST(TrimMessageTail, DropsEveryTrailingStopBlankAndLineBreak)
{
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {{L"Access is denied.\r\n", L"Access is denied"},
                 {L"Text . .  .\n\r ", L"Text"},
                 {L"Version 1.2 is here.", L"Version 1.2 is here"},
                 {L"no tail", L"no tail"},
                 {L" . . .\r\n", L""},
                 {L"", L""},
                 {L"\tkept tab\t", L"\tkept tab\t"}};
    for (const auto& c : cases) {
        EXPECT_EQ(trimMessageTail(c.in), c.out) << "input: [" << c.in << "]";
    }
}

TEST(FailureTextFromMessage, AppendsTheCodeOrFallsBackToTheNumber)
{
    EXPECT_EQ(failureTextFromMessage(L"Access is denied.\r\n", 5), L"Access is denied (error 5)");
    EXPECT_EQ(failureTextFromMessage(L"Odd.", 0x80070005u), L"Odd (error 2147942405)");
    EXPECT_EQ(failureTextFromMessage(L"", 7), L"Windows error 7");
    EXPECT_EQ(failureTextFromMessage(L" . .\r\n", 4294967295u), L"Windows error 4294967295");

    EXPECT_EQ(errorMessageFromMessage(L"Access is denied.\r\n", 5), L"Access is denied");
    EXPECT_EQ(errorMessageFromMessage(L"...", 3758101044u), L"Windows error 3758101044");
}

TEST(WindowsFailureText, WordsRealSystemMessages)
{
    EXPECT_EQ(windowsFailureText(0), L"the call failed without setting an error code");

    for (const DWORD code : {DWORD{5}, DWORD{2}, DWORD{13}}) {
        SCOPED_TRACE(code);
        const std::wstring raw = rawSystemMessage(code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
        ASSERT_FALSE(raw.empty()) << "this Windows has no text for a common error code";
        const std::wstring text = windowsFailureText(code);
        const std::wstring suffix = L" (error " + std::to_wstring(code) + L")";
        ASSERT_TRUE(endsWith(text, suffix)) << text;
        const std::wstring message = text.substr(0, text.size() - suffix.size());
        ASSERT_FALSE(message.empty());
        // The message is the system's text with only its tail of stops and line breaks removed.
        ASSERT_EQ(raw.compare(0, message.size(), message), 0) << text;
        EXPECT_EQ(raw.find_first_not_of(L".\r\n ", message.size()), std::wstring::npos) << text;

        EXPECT_EQ(windowsErrorMessage(code), message);
    }

    // A code Windows has no text for reads as a bare number from both functions.
    EXPECT_EQ(windowsFailureText(0xE0001234u), L"Windows error 3758101044");
    EXPECT_EQ(windowsErrorMessage(0xE0001234u), L"Windows error 3758101044");
}

TEST(WindowsErrorMessage, PassesCodeZeroToWindows)
{
    const std::wstring text = windowsErrorMessage(0);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find(L"Windows error"), std::wstring::npos) << text;
    EXPECT_EQ(text, trimMessageTail(rawSystemMessage(0, 0)));
}
