#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/unique_resource.h"

// Registry values for tests. Machine values are written under a private
// HKEY_LOCAL_MACHINE: the process's predefined key is redirected to a key of
// the current user's for the life of a PrivateLocalMachine, so the tests need
// no administrator rights and never change the machine they run on.

// HKEY_LOCAL_MACHINE\\<this> holds the Windows product and release values.
inline constexpr wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

inline constexpr wchar_t kPrivateMachineKey[] = L"Software\\KorvaneTests\\LocalMachine";

class PrivateLocalMachine {
public:
    PrivateLocalMachine()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kPrivateMachineKey);
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kPrivateMachineKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(),
                            nullptr) == ERROR_SUCCESS) {
            redirected_ = RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_.get()) == ERROR_SUCCESS;
        }
    }
    ~PrivateLocalMachine()
    {
        if (redirected_) {
            RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        }
        key_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kPrivateMachineKey);
    }
    PrivateLocalMachine(const PrivateLocalMachine&) = delete;
    PrivateLocalMachine& operator=(const PrivateLocalMachine&) = delete;

    [[nodiscard]] bool redirected() const { return redirected_; }

private:
    UniqueHKey key_;
    bool redirected_ = false;
};

// Fixture for tests that write machine values: a fresh, empty private
// HKEY_LOCAL_MACHINE per test.
class PrivateMachineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(machine_.redirected()) << "HKEY_LOCAL_MACHINE could not be redirected"; }

private:
    PrivateLocalMachine machine_;
};

// Set-up writes: the caller asserts the result (ASSERT_TRUE), so that a
// value that could not be written ends the test instead of being read back.
[[nodiscard]] inline testing::AssertionResult writeRegistryValue(HKEY root, const wchar_t* subkey,
                                                                 const wchar_t* name, DWORD type, const void* data,
                                                                 DWORD bytes)
{
    UniqueHKey key;
    LSTATUS status = RegCreateKeyExW(root, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes);
    }
    if (status != ERROR_SUCCESS) {
        return testing::AssertionFailure() << "writing " << subkey << "\\" << name << ": error " << status;
    }
    return testing::AssertionSuccess();
}

[[nodiscard]] inline testing::AssertionResult writeRegistryString(HKEY root, const wchar_t* subkey,
                                                                  const wchar_t* name, const std::wstring& text,
                                                                  DWORD type = REG_SZ)
{
    return writeRegistryValue(root, subkey, name, type, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

[[nodiscard]] inline testing::AssertionResult writeRegistryDword(HKEY root, const wchar_t* subkey,
                                                                 const wchar_t* name, DWORD value)
{
    return writeRegistryValue(root, subkey, name, REG_DWORD, &value, sizeof(value));
}

inline void deleteRegistryValue(HKEY root, const wchar_t* subkey, const wchar_t* name)
{
    UniqueHKey key;
    if (RegOpenKeyExW(root, subkey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
        RegDeleteValueW(key.get(), name);
    }
}
