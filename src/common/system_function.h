#pragma once

#include <windows.h>

// Optional system functions are looked up at run time, so that the program
// still starts on a Windows that lacks them. `Function` is the function's
// pointer type; the result is null when the function is missing.

template <typename Function>
[[nodiscard]] Function findSystemFunction(HMODULE module, const char* name) noexcept
{
    if (module == nullptr) {
        return nullptr;
    }
    // Through void*: GetProcAddress's FARPROC is not the function's own type.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// For a DLL every process has loaded already (ntdll.dll, kernel32.dll): it is
// not loaded here, and null when it is not there.
template <typename Function>
[[nodiscard]] Function findSystemFunction(const wchar_t* module, const char* name) noexcept
{
    return findSystemFunction<Function>(GetModuleHandleW(module), name);
}
