// The main of every test executable: GoogleTest's, plus a last word for a
// crash. GoogleTest built with MinGW catches no structured exceptions, so a
// fault in a test (or in a thread it started) would reach the system's
// post-mortem handling (under Wine, winedbg and its crash dialog, which waits
// for someone to close it) and the executable's later tests would never run.
// Here the crash names the running test and the exception, and the process
// ends at once with the exception code as its exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const char* exceptionName(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
        return "access violation";
    case EXCEPTION_STACK_OVERFLOW:
        return "stack overflow";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
        return "integer division by zero";
    case EXCEPTION_ILLEGAL_INSTRUCTION:
        return "illegal instruction";
    case EXCEPTION_PRIV_INSTRUCTION:
        return "privileged instruction";
    case EXCEPTION_IN_PAGE_ERROR:
        return "in-page error";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        return "array bounds exceeded";
    case EXCEPTION_BREAKPOINT:
        return "breakpoint";
    case EXCEPTION_DATATYPE_MISALIGNMENT:
        return "misaligned data";
    default:
        return "exception";
    }
}

// Straight to the standard output handle: the C library's stream may be held
// by the thread that crashed, and its buffer has been flushed by GoogleTest
// at the start of the test anyway.
void writeOut(const char* text)
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        WriteFile(out, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    }
}

const char* currentTestName(char (&name)[256])
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr) {
        return "(outside any test)";
    }
    std::snprintf(name, sizeof name, "%s.%s", test->test_suite_name(), test->name());
    return name;
}

LONG WINAPI reportCrash(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    char name[256];
    char module[MAX_PATH] = "?";
    HMODULE owner = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(record.ExceptionAddress), &owner)) {
        char path[MAX_PATH];
        if (GetModuleFileNameA(owner, path, MAX_PATH) != 0) {
            const char* slash = std::strrchr(path, '\\');
            std::snprintf(module, sizeof module, "%s", slash != nullptr ? slash + 1 : path);
        }
    }
    const auto offset = reinterpret_cast<uintptr_t>(record.ExceptionAddress) - reinterpret_cast<uintptr_t>(owner);
    char access[64] = "";
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        std::snprintf(access, sizeof access, ", %s address 0x%llx",
                      record.ExceptionInformation[0] == 0   ? "reading"
                      : record.ExceptionInformation[0] == 8 ? "executing"
                                                            : "writing",
                      static_cast<unsigned long long>(record.ExceptionInformation[1]));
    }
    char line[768];
    std::snprintf(line, sizeof line, "\n[  CRASHED ] %s: %s (exception 0x%08lX) at %s+0x%llx%s, thread %lu\n",
                  currentTestName(name), exceptionName(record.ExceptionCode),
                  static_cast<unsigned long>(record.ExceptionCode), module, static_cast<unsigned long long>(offset),
                  access, GetCurrentThreadId());
    writeOut(line);
    // Ends the process with the exception code, without a debugger or an error report.
    return EXCEPTION_EXECUTE_HANDLER;
}

// abort() (a failed assert, std::terminate) would end the process quietly.
void reportAbort(int)
{
    char name[256];
    char line[320];
    std::snprintf(line, sizeof line, "\n[  CRASHED ] %s: abort() was called\n", currentTestName(name));
    writeOut(line);
    std::_Exit(3);
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    SetUnhandledExceptionFilter(reportCrash);
    std::signal(SIGABRT, reportAbort);
    return RUN_ALL_TESTS();
}
