#pragma once

#include <windows.h>

#include <cwchar>

#include "common/unique_resource.h"

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

// The calls that load a DLL of Windows' own and look up its functions; a
// probe that loads one holds these, and tests hand in their own.
struct SystemLibraryCalls {
    decltype(&LoadLibraryExW) loadLibraryEx = LoadLibraryExW;
    decltype(&GetSystemDirectoryW) getSystemDirectory = GetSystemDirectoryW;
    decltype(&GetModuleHandleW) getModuleHandle = GetModuleHandleW;
    decltype(&GetProcAddress) getProcAddress = GetProcAddress;
};

// A function of a DLL loaded through `calls`, or null when it is missing.
template <typename Function>
[[nodiscard]] Function findLibraryFunction(HMODULE module, const char* name, const SystemLibraryCalls& calls) noexcept
{
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(calls.getProcAddress(module, name)));
}

// Microsoft's test for the LOAD_LIBRARY_SEARCH_* flags: kernel32 exports
// AddDllDirectory from Windows 8 on, and on Windows 7 with its 2011 loader
// update (KB2533623); without it the flags are unknown.
[[nodiscard]] inline bool searchFlagsKnown(const SystemLibraryCalls& calls) noexcept
{
    return findLibraryFunction<FARPROC>(calls.getModuleHandle(L"kernel32.dll"), "AddDllDirectory", calls) != nullptr;
}

// Makes the system folder the one place this process takes a DLL named
// without a path from, for the rest of its life: also the DLLs Windows loads
// on its behalf (the Save As dialog's shell extensions, the web page's
// handler, themes, accessibility) and every DLL's own imports, which are
// otherwise looked for in the program's folder first. Not
// LOAD_LIBRARY_SEARCH_DEFAULT_DIRS: that keeps the program's folder, where a
// planted DLL lies. False where this Windows lacks the call; the usual search
// order then stays.
[[nodiscard]] inline bool searchSystemFolderOnly(const SystemLibraryCalls& calls = {}) noexcept
{
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories =
        findLibraryFunction<SetDefaultDllDirectoriesFunction>(calls.getModuleHandle(L"kernel32.dll"),
                                                              "SetDefaultDllDirectories", calls);
    return setDefaultDllDirectories != nullptr && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

// Loads a DLL of Windows' own from the system folder and nowhere else. A DLL
// that is not one of the Known DLLs is otherwise searched for in the
// program's own folder first, and the program is run from wherever it was
// downloaded to, beside whatever else was downloaded there. Null when the
// DLL cannot be loaded, with the thread's last error saying why.
[[nodiscard]] inline UniqueHModule loadSystemLibrary(const wchar_t* name,
                                                     const SystemLibraryCalls& calls = {}) noexcept
{
    if (searchFlagsKnown(calls)) {
        return UniqueHModule(calls.loadLibraryEx(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    }
    // Windows 7 without its loader update: the full path finds the DLL
    // itself; the altered search path looks for its own imports beside it, in
    // the system folder, before the program's folder.
    wchar_t path[MAX_PATH] = {};
    const UINT folderLength = calls.getSystemDirectory(path, MAX_PATH);
    if (folderLength == 0) {
        return UniqueHModule();
    }
    const size_t nameLength = wcslen(name);
    if (folderLength + 1 + nameLength >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return UniqueHModule();
    }
    path[folderLength] = L'\\';
    wmemcpy(path + folderLength + 1, name, nameLength + 1);
    return UniqueHModule(calls.loadLibraryEx(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}
