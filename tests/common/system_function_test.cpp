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
        std::vector<DWORD> loadErrors;
        std::vector<Call> calls;
        DWORD error;  // 0: loaded
    } cases[] = {{"the flag is accepted", {}, {searchSystem32}, 0},
                 {"the flag is refused (Windows 7 without its loader update)",
                  {ERROR_INVALID_PARAMETER},
                  {searchSystem32, byFullPath},
                  0},
                 {"the DLL is missing", {ERROR_MOD_NOT_FOUND}, {searchSystem32}, ERROR_MOD_NOT_FOUND},
                 {"the flag is refused and the DLL is missing",
                  {ERROR_INVALID_PARAMETER, ERROR_MOD_NOT_FOUND},
                  {searchSystem32, byFullPath},
                  ERROR_MOD_NOT_FOUND}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeLibraryLoader loader(c.loadErrors);
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
