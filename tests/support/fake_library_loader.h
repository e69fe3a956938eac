#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/system_function.h"

// Stands in for the loader and GetProcAddress of SystemLibraryCalls. The n-th
// load fails with loadErrors[n] when that is not 0; otherwise it loads
// kernel32.dll for real in the DLL's place, so the holder frees a real
// reference. GetProcAddress finds only `functions`. A function pointer
// carries no state, so one fake is installed at a time, for its lifetime.
class FakeLibraryLoader {
public:
    struct Call {
        std::wstring name;
        DWORD flags;
        bool operator==(const Call&) const = default;
    };

    explicit FakeLibraryLoader(std::vector<DWORD> loadErrors, std::map<std::string, void*> functions = {})
        : loadErrors_(std::move(loadErrors)), functions_(std::move(functions))
    {
        installed() = this;
    }
    ~FakeLibraryLoader() { installed() = nullptr; }
    FakeLibraryLoader(const FakeLibraryLoader&) = delete;
    FakeLibraryLoader& operator=(const FakeLibraryLoader&) = delete;

    [[nodiscard]] static SystemLibraryCalls calls()
    {
        SystemLibraryCalls calls;
        calls.loadLibraryEx = &load;
        calls.getProcAddress = &find;
        return calls;
    }
    [[nodiscard]] const std::vector<Call>& made() const { return made_; }

private:
    static FakeLibraryLoader*& installed()
    {
        static FakeLibraryLoader* loader = nullptr;
        return loader;
    }

    static HMODULE WINAPI load(LPCWSTR name, HANDLE, DWORD flags)
    {
        FakeLibraryLoader& self = *installed();
        const size_t index = self.made_.size();
        self.made_.push_back({name, flags});
        if (index < self.loadErrors_.size() && self.loadErrors_[index] != 0) {
            SetLastError(self.loadErrors_[index]);
            return nullptr;
        }
        return LoadLibraryExW(L"kernel32.dll", nullptr, 0);
    }

    static FARPROC WINAPI find(HMODULE, LPCSTR name)
    {
        const auto& functions = installed()->functions_;
        const auto found = functions.find(name);
        return found == functions.end() ? nullptr : reinterpret_cast<FARPROC>(found->second);
    }

    std::vector<DWORD> loadErrors_;
    std::map<std::string, void*> functions_;
    std::vector<Call> made_;
};
