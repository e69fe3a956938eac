#include "common/system_function.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_library_loader.h"

namespace {

std::wstring systemFolderPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length) + L"\\" + name;
}

std::string narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

}  // namespace

TEST(LoadSystemLibrary, AsksForTheSystemFolderAndFallsBackToItsFullPath)
{
    using Answer = FakeLibraryLoader::Answer;
    using Call = FakeLibraryLoader::Call;
    const std::wstring fullPath = systemFolderPath(L"kernel32.dll");
    const Call searchSystem32{L"kernel32.dll", LOAD_LIBRARY_SEARCH_SYSTEM32};
    const Call byFullPath{fullPath, LOAD_WITH_ALTERED_SEARCH_PATH};
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const struct {
        const char* what;
        std::vector<Answer> answers;
        std::vector<Call> calls;
        bool loaded;
        DWORD error;
    } cases[] = {
        {"the flag is accepted", {{L"kernel32.dll"}}, {searchSystem32}, true, 0},
        {"the flag is refused (Windows 7 without its loader update)",
         {{nullptr, ERROR_INVALID_PARAMETER}, {L"kernel32.dll"}},
         {searchSystem32, byFullPath},
         true,
         0},
        {"the DLL is missing", {{nullptr, ERROR_MOD_NOT_FOUND}}, {searchSystem32}, false, ERROR_MOD_NOT_FOUND},
        {"the flag is refused and the DLL is missing",
         {{nullptr, ERROR_INVALID_PARAMETER}, {nullptr, ERROR_MOD_NOT_FOUND}},
         {searchSystem32, byFullPath},
         false,
         ERROR_MOD_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeLibraryLoader loader(c.answers);
        const UniqueHModule module = loadSystemLibrary(L"kernel32.dll", FakeLibraryLoader::calls());
        const DWORD error = GetLastError();
        ASSERT_EQ(loader.made().size(), c.calls.size());
        for (size_t i = 0; i < c.calls.size(); ++i) {
            EXPECT_EQ(narrow(loader.made()[i].name), narrow(c.calls[i].name)) << "call " << i;
            EXPECT_EQ(loader.made()[i].flags, c.calls[i].flags) << "call " << i;
        }
        if (c.loaded) {
            EXPECT_EQ(module.get(), kernel32);
        } else {
            EXPECT_FALSE(module);
            EXPECT_EQ(error, c.error) << "the loader's own error is what the caller reads";
        }
    }

    // The real loader, with the flag this Windows (or Wine) understands.
    EXPECT_EQ(loadSystemLibrary(L"kernel32.dll").get(), kernel32);
    EXPECT_FALSE(loadSystemLibrary(L"korvane-absent-library.dll"));
}
