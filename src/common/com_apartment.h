#pragma once

#include <windows.h>

#include <objbase.h>

// Joins the calling thread to a COM apartment for the guard's life. Every
// successful CoInitializeEx, S_FALSE (the thread was in that apartment
// already) included, is paired with a CoUninitialize; a failed one, such as
// RPC_E_CHANGED_MODE on a thread in the other kind of apartment, is not, or
// it would end an apartment that someone else joined.
struct ComCalls {
    decltype(&CoInitializeEx) initialize = CoInitializeEx;
    decltype(&CoUninitialize) uninitialize = CoUninitialize;
};

class ComApartment {
public:
    explicit ComApartment(DWORD mode, const ComCalls& calls = ComCalls{}) noexcept
        : uninitialize_(calls.uninitialize), result_(calls.initialize(nullptr, mode))
    {
    }
    ~ComApartment()
    {
        if (SUCCEEDED(result_)) {
            uninitialize_();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    [[nodiscard]] HRESULT result() const noexcept { return result_; }

private:
    decltype(&CoUninitialize) uninitialize_;
    HRESULT result_;
};
