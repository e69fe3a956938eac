#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "common/system_function.h"

// Stands in for LoadLibraryExW in SystemLibraryCalls: records what it is
// asked for and answers each call from a script, either by loading another
// DLL for real in its place (so the holder frees a real reference) or by
// failing with an error. A function pointer carries no state, so one loader
// is installed at a time, for its own lifetime.
class FakeLibraryLoader {
public:
    struct Answer {
        const wchar_t* loadInstead;  // null: fail with `error`
        DWORD error = ERROR_MOD_NOT_FOUND;
    };
    struct Call {
        std::wstring name;
        DWORD flags;
        bool operator==(const Call&) const = default;
    };

    explicit FakeLibraryLoader(std::vector<Answer> answers) : answers_(std::move(answers)) { installed() = this; }
    ~FakeLibraryLoader() { installed() = nullptr; }
    FakeLibraryLoader(const FakeLibraryLoader&) = delete;
    FakeLibraryLoader& operator=(const FakeLibraryLoader&) = delete;

    [[nodiscard]] static SystemLibraryCalls calls()
    {
        SystemLibraryCalls calls;
        calls.loadLibraryEx = &load;
        return calls;
    }
    [[nodiscard]] const std::vector<Call>& made() const { return made_; }

private:
    static FakeLibraryLoader*& installed()
    {
        static FakeLibraryLoader* loader = nullptr;
        return loader;
    }

    static HMODULE WINAPI load(LPCWSTR name, HANDLE file, DWORD flags)
    {
        FakeLibraryLoader& self = *installed();
        const size_t index = self.made_.size();
        self.made_.push_back({name, flags});
        if (index >= self.answers_.size() || self.answers_[index].loadInstead == nullptr) {
            SetLastError(index < self.answers_.size() ? self.answers_[index].error : ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        return LoadLibraryExW(self.answers_[index].loadInstead, file, 0);
    }

    std::vector<Answer> answers_;
    std::vector<Call> made_;
};
