#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/system_function.h"

// Stands in for the loader and GetProcAddress of SystemLibraryCalls. The n-th
// load fails with loadErrors[n] when that is not 0; otherwise it loads
// kernel32.dll for real in the DLL's place, so the holder frees a real
// reference. GetProcAddress finds only `functions`, and AddDllDirectory while
// `searchFlagsKnown` (the LOAD_LIBRARY_SEARCH_* flags). A function pointer
// carries no state, so one fake is installed at a time, for its lifetime.
struct FakeLibraryLoader {
    struct Call {
        std::wstring name;
        DWORD flags;
        bool operator==(const Call&) const = default;
    };

    std::vector<DWORD> loadErrors;
    std::map<std::string, void*> functions;
    std::vector<Call> made;
    bool searchFlagsKnown = true;

    explicit FakeLibraryLoader(std::vector<DWORD> errors, std::map<std::string, void*> found = {})
        : loadErrors(std::move(errors)), functions(std::move(found))
    {
        installed() = this;
    }
    ~FakeLibraryLoader() { installed() = nullptr; }
    FakeLibraryLoader(const FakeLibraryLoader&) = delete;
    FakeLibraryLoader& operator=(const FakeLibraryLoader&) = delete;

    [[nodiscard]] static SystemLibraryCalls calls()
    {
        static_assert(sizeof(SystemLibraryCalls) == 4 * sizeof(void*), "a new call needs its fake here");
        // The system folder and kernel32 are Windows' own: only what is
        // loaded from the folder is made up.
        return {.loadLibraryEx = &load,
                .getSystemDirectory = GetSystemDirectoryW,
                .getModuleHandle = GetModuleHandleW,
                .getProcAddress = &find};
    }

private:
    static FakeLibraryLoader*& installed()
    {
        static FakeLibraryLoader* loader = nullptr;
        return loader;
    }

    static HMODULE WINAPI load(LPCWSTR name, HANDLE, DWORD flags)
    {
        FakeLibraryLoader& self = *installed();
        const size_t index = self.made.size();
        self.made.push_back({name, flags});
        if (index < self.loadErrors.size() && self.loadErrors[index] != 0) {
            SetLastError(self.loadErrors[index]);
            return nullptr;
        }
        return LoadLibraryExW(L"kernel32.dll", nullptr, 0);
    }

    static FARPROC WINAPI find(HMODULE, LPCSTR name)
    {
        if (std::string_view(name) == "AddDllDirectory") {
            // Only looked for, never called.
            return installed()->searchFlagsKnown ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&find))
                                                 : nullptr;
        }
        const auto found = installed()->functions.find(name);
        return found == installed()->functions.end() ? nullptr : reinterpret_cast<FARPROC>(found->second);
    }
};
