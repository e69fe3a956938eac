#include "scan/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "scan/scan_machine.h"
#include "scan/windows_failure.h"

namespace {

constexpr wchar_t kScratchKey[] = L"Software\\KorvaneTests\\Registry";

void writeValue(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD type, const void* data, DWORD bytes)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

void writeString(HKEY root, const wchar_t* subkey, const wchar_t* name, const std::wstring& text,
                 DWORD type = REG_SZ)
{
    writeValue(root, subkey, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void writeDword(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD value)
{
    writeValue(root, subkey, name, REG_DWORD, &value, sizeof(value));
}

void deleteValue(HKEY root, const wchar_t* subkey, const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
}

// Keeps a value of the test prefix's registry as it was and puts it back, or
// removes it again if it did not exist, whatever the test did to it.
class SavedValue {
public:
    SavedValue(HKEY root, const wchar_t* subkey, const wchar_t* name) : root_(root), subkey_(subkey), name_(name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root_, subkey_, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
            return;
        }
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key, name_, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<BYTE> data(size);
            if (RegQueryValueExW(key, name_, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
                type_ = type;
                data_ = std::move(data);
            }
        }
        RegCloseKey(key);
    }
    ~SavedValue()
    {
        if (data_) {
            writeValue(root_, subkey_, name_, type_, data_->data(), static_cast<DWORD>(data_->size()));
        } else {
            deleteValue(root_, subkey_, name_);
        }
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    HKEY root_;
    const wchar_t* subkey_;
    const wchar_t* name_;
    DWORD type_ = 0;
    std::optional<std::vector<BYTE>> data_;
};

struct RtlVersion {
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
};

RtlVersion rtlVersion()
{
    using Fn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    const auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (fn == nullptr || fn(&info) != 0) {
        return {};
    }
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

class ScratchKey : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KorvaneTests"); }
};

}  // namespace

TEST_F(ScratchKey, ReadRegistryStringReadsStringsAsStored)
{
    std::wstring text = L"left over";
    uint32_t code = 99;

    // Missing key and missing value: the open or query's own code, 2.
    EXPECT_FALSE(readRegistryString(HKEY_CURRENT_USER, L"Software\\KorvaneTests\\Absent", L"X", text, code));
    EXPECT_EQ(code, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(text.empty());

    writeString(HKEY_CURRENT_USER, kScratchKey, L"Plain", L"  Contoso Ltd.  ");
    EXPECT_FALSE(readRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Missing", text, code));
    EXPECT_EQ(code, ERROR_FILE_NOT_FOUND);

    ASSERT_TRUE(readRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Plain", text, code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(text, L"  Contoso Ltd.  ") << "the text is not trimmed";

    // Environment variables stay as written.
    writeString(HKEY_CURRENT_USER, kScratchKey, L"Expand", L"%SystemRoot%\\system32", REG_EXPAND_SZ);
    ASSERT_TRUE(readRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Expand", text, code));
    EXPECT_EQ(text, L"%SystemRoot%\\system32");

    // Stored without a terminator, and with an odd byte count.
    const std::wstring bare = L"NoTerminator";
    writeValue(HKEY_CURRENT_USER, kScratchKey, L"Bare", REG_SZ, bare.data(),
               static_cast<DWORD>(bare.size() * sizeof(wchar_t)));
    ASSERT_TRUE(readRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Bare", text, code));
    EXPECT_EQ(text, bare);
    writeValue(HKEY_CURRENT_USER, kScratchKey, L"Odd", REG_SZ, bare.data(),
               static_cast<DWORD>(bare.size() * sizeof(wchar_t) + 1));
    ASSERT_TRUE(readRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Odd", text, code));
    EXPECT_EQ(text.substr(0, bare.size()), bare);

    // Text after an embedded terminator is not part of the value.
    const wchar_t embedded[] = L"first\0second";
    writeValue(HKEY_CURRENT_USER, kScratchKey, L"Embedded", REG_SZ, embedded, sizeof(embedded));
    ASSERT_TRUE(readRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Embedded", text, code));
    EXPECT_EQ(text, L"first");

    writeString(HKEY_CURRENT_USER, kScratchKey, L"Empty", L"");
    ASSERT_TRUE(readRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Empty", text, code));
    EXPECT_TRUE(text.empty());

    // Other types are invalid data, code 13.
    writeDword(HKEY_CURRENT_USER, kScratchKey, L"Number", 7);
    text = L"left over";
    EXPECT_FALSE(readRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Number", text, code));
    EXPECT_EQ(code, ERROR_INVALID_DATA);
    EXPECT_TRUE(text.empty());
    const wchar_t multi[] = L"a\0b\0";
    writeValue(HKEY_CURRENT_USER, kScratchKey, L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
    EXPECT_FALSE(readRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Multi", text, code));
    EXPECT_EQ(code, ERROR_INVALID_DATA);
}

TEST(CurrentVersionValues, StatesFollowWhatTheRegistryHolds)
{
    const SavedValue owner(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOwner");
    const SavedValue product(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName");

    writeString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOwner", L" Ada ");
    Reading reading = readCurrentVersionValue(L"RegisteredOwner", L"registered owner");
    EXPECT_EQ(reading.state, ReadingState::Ok);
    EXPECT_EQ(reading.value, L" Ada ");

    writeString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOwner", L"");
    reading = readCurrentVersionValue(L"RegisteredOwner", L"registered owner");
    EXPECT_EQ(reading.state, ReadingState::None);
    EXPECT_EQ(reading.reason, L"Windows records no registered owner");

    deleteValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOwner");
    reading = readCurrentVersionValue(L"RegisteredOwner", L"registered owner");
    EXPECT_EQ(reading.state, ReadingState::None);
    EXPECT_EQ(reading.reason, L"Windows records no registered owner");

    writeDword(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName", 10);
    reading = readCurrentVersionValue(L"ProductName", L"product name");
    EXPECT_EQ(reading.state, ReadingState::Failed);
    EXPECT_EQ(reading.reason, L"reading product name: " + windowsFailureText(ERROR_INVALID_DATA));
}

TEST(WindowsRelease, VersionReleaseAndProductComeFromTheRegistry)
{
    const SavedValue ubr(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"UBR");
    const SavedValue displayVersion(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion");
    const SavedValue releaseId(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ReleaseId");
    const SavedValue product(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName");
    const SavedValue owner(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOwner");
    const SavedValue organisation(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOrganization");

    const RtlVersion version = rtlVersion();
    ASSERT_NE(version.major, 0u) << "RtlGetVersion is missing";
    const std::wstring threeParts = std::to_wstring(version.major) + L"." + std::to_wstring(version.minor) + L"." +
                                    std::to_wstring(version.build);
    ScanSnapshot snapshot;

    writeDword(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"UBR", 3803);
    writeString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion", L"23H2");
    writeString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ReleaseId", L"2009");
    writeString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName", L"Windows 10 Pro");
    deleteValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOwner");
    writeString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOrganization", L"Contoso");
    readWindowsRelease(snapshot);
    EXPECT_EQ(snapshot.windowsVersion, readingOk(threeParts + L".3803"));
    EXPECT_EQ(snapshot.windowsRelease, readingOk(L"23H2"));
    const bool eleven = version.major == 10 && version.build > 21999;
    EXPECT_EQ(snapshot.windowsProduct, readingOk(eleven ? L"Windows 11 Pro" : L"Windows 10 Pro"));
    EXPECT_EQ(snapshot.registeredOwner, readingNone(L"Windows records no registered owner"));
    EXPECT_EQ(snapshot.registeredOrganisation, readingOk(L"Contoso"));

    // No UBR, or one of another type: three parts. No DisplayVersion: ReleaseId stands in.
    deleteValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"UBR");
    deleteValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion");
    readWindowsRelease(snapshot);
    EXPECT_EQ(snapshot.windowsVersion, readingOk(threeParts));
    EXPECT_EQ(snapshot.windowsRelease, readingOk(L"2009"));

    writeString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"UBR", L"3803");
    writeString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion", L"");
    readWindowsRelease(snapshot);
    EXPECT_EQ(snapshot.windowsVersion, readingOk(threeParts));
    EXPECT_EQ(snapshot.windowsRelease, readingOk(L"2009")) << "an empty DisplayVersion also falls back";

    // Neither: the DisplayVersion reading stays, None with the release phrase.
    deleteValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion");
    deleteValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ReleaseId");
    readWindowsRelease(snapshot);
    EXPECT_EQ(snapshot.windowsRelease, readingNone(L"Windows records no release name"));

    // A DisplayVersion of the wrong type fails, and a missing ReleaseId does not replace it.
    writeDword(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion", 22);
    readWindowsRelease(snapshot);
    EXPECT_EQ(snapshot.windowsRelease,
              readingFailed(L"reading release name: " + windowsFailureText(ERROR_INVALID_DATA)));

    // A product name that failed is never renamed.
    writeDword(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName", 10);
    readWindowsRelease(snapshot);
    EXPECT_EQ(snapshot.windowsProduct.state, ReadingState::Failed);
    EXPECT_EQ(snapshot.windowsProduct.reason, L"reading product name: " + windowsFailureText(ERROR_INVALID_DATA));
}
