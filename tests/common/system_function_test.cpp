#include "common/system_function.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_library_loader.h"

TEST(LoadSystemLibrary, AsksForTheSystemFolderAndFallsBackToItsFullPath)
{
    using Call = FakeLibraryLoader::Call;
    wchar_t folder[MAX_PATH] = {};
    const std::wstring fullPath = std::wstring(folder, GetSystemDirectoryW(folder, MAX_PATH)) + L"\\kernel32.dll";
    const Call searchSystem32{L"kernel32.dll", LOAD_LIBRARY_SEARCH_SYSTEM32};
    const Call byFullPath{fullPath, LOAD_WITH_ALTERED_SEARCH_PATH};
    const struct {
        const char* what;
        bool flagsKnown;  // kernel32 exports AddDllDirectory
        std::vector<DWORD> loadErrors;
        std::vector<Call> calls;
        DWORD error;  // 0: loaded
    } cases[] = {{"the flags are known", true, {}, {searchSystem32}, 0},
                 {"the flags are unknown (Windows 7 without its loader update)", false, {}, {byFullPath}, 0},
                 {"the DLL is missing", true, {ERROR_MOD_NOT_FOUND}, {searchSystem32}, ERROR_MOD_NOT_FOUND},
                 {"a refusal of the known flags is the loader's answer, not a sign of Windows 7",
                  true,
                  {ERROR_INVALID_PARAMETER},
                  {searchSystem32},
                  ERROR_INVALID_PARAMETER}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeLibraryLoader loader(c.loadErrors);
        loader.searchFlagsKnown = c.flagsKnown;
        const UniqueHModule module = loadSystemLibrary(L"kernel32.dll", FakeLibraryLoader::calls());
        const DWORD error = GetLastError();
        EXPECT_TRUE(loader.made == c.calls) << loader.made.size() << " calls";
        EXPECT_EQ(module.get() != nullptr, c.error == 0);
        if (c.error != 0) {
            EXPECT_EQ(error, c.error) << "the loader's own error is what the caller reads";
        }
    }

    // The real loader, with the flag this Windows (or Wine) understands.
    EXPECT_EQ(loadSystemLibrary(L"kernel32.dll").get(), GetModuleHandleW(L"kernel32.dll"));
    EXPECT_FALSE(loadSystemLibrary(L"korvane-absent-library.dll"));
}
