#pragma once

#include <utility>

// Owns one COM interface reference: Release in the destructor, move-only.
// Adopts the reference it is given (out-parameters of COM calls already hold
// one), so it never calls AddRef.
template <typename Interface>
class ComPtr {
public:
    ComPtr() noexcept = default;
    explicit ComPtr(Interface* pointer) noexcept : pointer_(pointer) {}
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(other.release()) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    [[nodiscard]] Interface* get() const noexcept { return pointer_; }
    Interface* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    [[nodiscard]] Interface* release() noexcept { return std::exchange(pointer_, nullptr); }

    void reset(Interface* pointer = nullptr) noexcept
    {
        if (Interface* old = std::exchange(pointer_, pointer)) {
            old->Release();
        }
    }

    // Releases what is held and hands out the address, for COM out-parameters.
    [[nodiscard]] Interface** put() noexcept
    {
        reset();
        return &pointer_;
    }

    // The same address typed as void**, for calls such as CreateDXGIFactory1.
    [[nodiscard]] void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

private:
    Interface* pointer_ = nullptr;
};
