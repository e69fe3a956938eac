#pragma once

#include <windows.h>

#include <utility>

// Memory lent in another process (VirtualAllocEx/VirtualFreeEx), for messages
// whose pointers must point into that process. The process handle is
// borrowed and must outlive the memory.
class RemoteMemory {
public:
    RemoteMemory() noexcept = default;
    RemoteMemory(HANDLE process, SIZE_T size) noexcept
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
    }
    ~RemoteMemory() { reset(); }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    RemoteMemory(RemoteMemory&& other) noexcept
        : process_(other.process_), address_(std::exchange(other.address_, nullptr))
    {
    }
    RemoteMemory& operator=(RemoteMemory&& other) noexcept
    {
        if (this != &other) {
            reset();
            process_ = other.process_;
            address_ = std::exchange(other.address_, nullptr);
        }
        return *this;
    }
    [[nodiscard]] void* get() const noexcept { return address_; }
    explicit operator bool() const noexcept { return address_ != nullptr; }

    void reset() noexcept
    {
        if (void* old = std::exchange(address_, nullptr)) {
            const DWORD lastError = GetLastError();
            VirtualFreeEx(process_, old, 0, MEM_RELEASE);
            SetLastError(lastError);
        }
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};
