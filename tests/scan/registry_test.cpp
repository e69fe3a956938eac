#include "scan/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/windows_failure.h"
#include "scan/fake_machine.h"
#include "scan/private_registry.h"

namespace {

constexpr wchar_t kScratchKey[] = L"Software\\KorvaneTests\\Registry";

const RegistryCalls kRegistry;

// A scan of the fake machine (Windows 10.0.22631) with the real registry.
ScanSnapshot scanWithRegistry()
{
    FakeMachine machine;
    machine.calls.system.registry = kRegistry;
    return machine.scan();
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
    EXPECT_FALSE(
        readRegistryString(kRegistry, HKEY_CURRENT_USER, L"Software\\KorvaneTests\\Absent", L"X", text, code));
    EXPECT_EQ(code, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(text.empty());

    ASSERT_TRUE(writeRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Plain", L"  Contoso Ltd.  "));
    EXPECT_FALSE(readRegistryString(kRegistry, HKEY_CURRENT_USER, kScratchKey, L"Missing", text, code));
    EXPECT_EQ(code, ERROR_FILE_NOT_FOUND);

    ASSERT_TRUE(readRegistryString(kRegistry, HKEY_CURRENT_USER, kScratchKey, L"Plain", text, code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(text, L"  Contoso Ltd.  ") << "the text is not trimmed";

    // Environment variables stay as written.
    ASSERT_TRUE(
        writeRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Expand", L"%SystemRoot%\\system32", REG_EXPAND_SZ));
    ASSERT_TRUE(readRegistryString(kRegistry, HKEY_CURRENT_USER, kScratchKey, L"Expand", text, code));
    EXPECT_EQ(text, L"%SystemRoot%\\system32");

    // Stored without a terminator, and with an odd byte count.
    const std::wstring bare = L"NoTerminator";
    ASSERT_TRUE(writeRegistryValue(HKEY_CURRENT_USER, kScratchKey, L"Bare", REG_SZ, bare.data(),
                                   static_cast<DWORD>(bare.size() * sizeof(wchar_t))));
    ASSERT_TRUE(readRegistryString(kRegistry, HKEY_CURRENT_USER, kScratchKey, L"Bare", text, code));
    EXPECT_EQ(text, bare);
    ASSERT_TRUE(writeRegistryValue(HKEY_CURRENT_USER, kScratchKey, L"Odd", REG_SZ, bare.data(),
                                   static_cast<DWORD>(bare.size() * sizeof(wchar_t) + 1)));
    ASSERT_TRUE(readRegistryString(kRegistry, HKEY_CURRENT_USER, kScratchKey, L"Odd", text, code));
    EXPECT_EQ(text.substr(0, bare.size()), bare);

    // Text after an embedded terminator is not part of the value.
    const wchar_t embedded[] = L"first\0second";
    ASSERT_TRUE(writeRegistryValue(HKEY_CURRENT_USER, kScratchKey, L"Embedded", REG_SZ, embedded, sizeof(embedded)));
    ASSERT_TRUE(readRegistryString(kRegistry, HKEY_CURRENT_USER, kScratchKey, L"Embedded", text, code));
    EXPECT_EQ(text, L"first");

    ASSERT_TRUE(writeRegistryString(HKEY_CURRENT_USER, kScratchKey, L"Empty", L""));
    ASSERT_TRUE(readRegistryString(kRegistry, HKEY_CURRENT_USER, kScratchKey, L"Empty", text, code));
    EXPECT_TRUE(text.empty());

    // Other types are invalid data, code 13.
    ASSERT_TRUE(writeRegistryDword(HKEY_CURRENT_USER, kScratchKey, L"Number", 7));
    text = L"left over";
    EXPECT_FALSE(readRegistryString(kRegistry, HKEY_CURRENT_USER, kScratchKey, L"Number", text, code));
    EXPECT_EQ(code, ERROR_INVALID_DATA);
    EXPECT_TRUE(text.empty());
    const wchar_t multi[] = L"a\0b\0";
    ASSERT_TRUE(writeRegistryValue(HKEY_CURRENT_USER, kScratchKey, L"Multi", REG_MULTI_SZ, multi, sizeof(multi)));
    EXPECT_FALSE(readRegistryString(kRegistry, HKEY_CURRENT_USER, kScratchKey, L"Multi", text, code));
    EXPECT_EQ(code, ERROR_INVALID_DATA);
}

TEST_F(PrivateMachineTest, WindowsVersionReleaseAndProductComeFromTheRegistry)
{
    ASSERT_TRUE(writeRegistryDword(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"UBR", 3803));
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion", L"23H2"));
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ReleaseId", L"2009"));
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName", L"Windows 10 Pro"));
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOwner", L" Ada "));
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOrganization", L"Contoso"));
    ScanSnapshot snapshot = scanWithRegistry();
    EXPECT_EQ(snapshot.windowsVersion, readingOk(L"10.0.22631.3803"));
    EXPECT_EQ(snapshot.windowsRelease, readingOk(L"23H2"));
    EXPECT_EQ(snapshot.windowsProduct, readingOk(L"Windows 11 Pro"));
    EXPECT_EQ(snapshot.registeredOwner, readingOk(L" Ada ")) << "the text is not trimmed";
    EXPECT_EQ(snapshot.registeredOrganisation, readingOk(L"Contoso"));

    // No UBR, or one of another type: three parts. No DisplayVersion, or an
    // empty one: ReleaseId stands in. An owner empty or missing is None.
    deleteRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"UBR");
    deleteRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion");
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOwner", L""));
    snapshot = scanWithRegistry();
    EXPECT_EQ(snapshot.windowsVersion, readingOk(L"10.0.22631"));
    EXPECT_EQ(snapshot.windowsRelease, readingOk(L"2009"));
    EXPECT_EQ(snapshot.registeredOwner, readingNone(L"Windows records no registered owner"));

    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"UBR", L"3803"));
    ASSERT_TRUE(writeRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion", L""));
    deleteRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"RegisteredOwner");
    snapshot = scanWithRegistry();
    EXPECT_EQ(snapshot.windowsVersion, readingOk(L"10.0.22631"));
    EXPECT_EQ(snapshot.windowsRelease, readingOk(L"2009")) << "an empty DisplayVersion also falls back";
    EXPECT_EQ(snapshot.registeredOwner, readingNone(L"Windows records no registered owner"));

    // Neither: the DisplayVersion reading stays, None with the release phrase.
    deleteRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion");
    deleteRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ReleaseId");
    EXPECT_EQ(scanWithRegistry().windowsRelease, readingNone(L"Windows records no release name"));

    // A DisplayVersion of the wrong type fails, and a missing ReleaseId does
    // not replace it; a product name that failed is never renamed.
    ASSERT_TRUE(writeRegistryDword(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"DisplayVersion", 22));
    ASSERT_TRUE(writeRegistryDword(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName", 10));
    snapshot = scanWithRegistry();
    EXPECT_EQ(snapshot.windowsRelease,
              readingFailed(L"reading release name: " + windowsFailureText(ERROR_INVALID_DATA)));
    EXPECT_EQ(snapshot.windowsProduct,
              readingFailed(L"reading product name: " + windowsFailureText(ERROR_INVALID_DATA)));
}

// The redirection the machine-value tests rely on: what they write lands in
// the private key, and the real value is the same afterwards.
TEST(PrivateLocalMachine, LeavesTheMachinesOwnValuesAlone)
{
    std::wstring before;
    uint32_t beforeCode = 0;
    const bool hadProduct =
        readRegistryString(kRegistry, HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName", before, beforeCode);
    {
        const PrivateLocalMachine machine;
        ASSERT_TRUE(machine.redirected());
        ASSERT_TRUE(
            writeRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName", L"Korvane Test Edition"));
        EXPECT_EQ(scanWithRegistry().windowsProduct, readingOk(L"Korvane Test Edition"));
        std::wstring privateText;
        uint32_t code = 0;
        std::wstring privatePath = std::wstring(kPrivateMachineKey) + L"\\" + kCurrentVersionKey;
        ASSERT_TRUE(
            readRegistryString(kRegistry, HKEY_CURRENT_USER, privatePath.c_str(), L"ProductName", privateText, code));
        EXPECT_EQ(privateText, L"Korvane Test Edition");
    }
    std::wstring after;
    uint32_t afterCode = 0;
    EXPECT_EQ(readRegistryString(kRegistry, HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProductName", after, afterCode),
              hadProduct);
    EXPECT_EQ(after, before);
    EXPECT_EQ(afterCode, beforeCode);
    EXPECT_NE(after, L"Korvane Test Edition");
    UniqueHKey gone;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kPrivateMachineKey, 0, KEY_QUERY_VALUE, gone.put()),
              ERROR_FILE_NOT_FOUND)
        << "the private key is removed";
}
