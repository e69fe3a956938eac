// korvane.exe itself, with its manifest, resources and message loop, started
// as a user starts it and driven from this separate process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "load/local_time.h"
#include "common/scope_exit.h"
#include "common/system_function.h"
#include "common/unique_resource.h"
#include "driver/outside_driver.h"
#include "support/clipboard_text.h"
#include "support/csv_reader.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"

namespace {

constexpr DWORD kStartMs = 60000;

std::wstring besideThisProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + name;
}

// A row read from outside matches when its item is the one shown and its
// value is the one shown before or after: live values may move in between.
bool shownAs(const std::wstring& item, const std::wstring& value, const ShownRow& before, const ShownRow& after)
{
    return item == before.item && (value == before.value || value == after.value);
}

std::wstring clipboardTextSetBy(HWND owner)
{
    // Korvane empties the clipboard as its window, so the window owns its text.
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (GetTickCount64() < deadline) {
        if (GetClipboardOwner() == owner && IsClipboardFormatAvailable(CF_UNICODETEXT)) {
            if (const std::optional<std::wstring> text = readClipboardText(nullptr); text && !text->empty()) {
                return *text;
            }
        }
        Sleep(20);
    }
    return L"<nothing from Korvane on the clipboard>";
}

void emptyClipboard()
{
    ClipboardOpener clipboard(nullptr);
    ASSERT_TRUE(clipboard.opened());
    ASSERT_TRUE(EmptyClipboard());
}

std::wstring wideFromUtf8(const std::string& bytes)
{
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        text.data(), static_cast<int>(text.size()))));
    return text;
}

// Removes a key only when it holds neither values nor keys: settings that
// were there before stay.
void deleteKeyIfEmpty(HKEY root, const wchar_t* path)
{
    DWORD keys = 0;
    DWORD values = 0;
    {
        UniqueHKey key;
        if (RegOpenKeyExW(root, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
            RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr) != ERROR_SUCCESS) {
            return;
        }
    }
    if (keys == 0 && values == 0) {
        RegDeleteKeyW(root, path);
    }
}

}  // namespace

// Closed at once, most likely while its first scan runs.
TEST(Program, ClosedAtOnceItExitsWithZero)
{
    OutsideDriver korvane;
    std::wstring error;
    const ULONGLONG started = GetTickCount64();
    ASSERT_TRUE(korvane.start(besideThisProgram(L"korvane.exe"), kStartMs, error)) << error;
    std::printf("korvane.exe showed its window after %.2f s\n",
                static_cast<double>(GetTickCount64() - started) / 1000);
    EXPECT_EQ(korvane.close(kStartMs), 0);
}

TEST(Program, DrivenFromOutsideItScansCopiesSavesAndCloses)
{
    const ULONGLONG started = GetTickCount64();
    OutsideDriver korvane;
    std::wstring error;
    ASSERT_TRUE(korvane.start(besideThisProgram(L"korvane.exe"), kStartMs, error)) << error;

    const std::wstring firstScan = korvane.waitForScan(L"", kScanWaitMs);
    ASSERT_FALSE(firstScan.empty()) << "status part 1 never read \"Scanned at\"";
    const std::vector<ShownRow> firstRows = korvane.rows();
    ASSERT_GT(firstRows.size(), 3u);
    for (const ShownRow& row : firstRows) {
        EXPECT_FALSE(row.item.empty()) << "a row without its item, valued " << row.value;
    }
    const std::wstring completeness = korvane.statusText(0);
    EXPECT_FALSE(completeness.empty());
    EXPECT_NE(completeness, L"Reading this machine...");

    // F5 through the accelerator. Scans are stamped to the second, so the
    // key waits for the clock to leave the second of the first scan.
    while (L"Scanned at " + localTimestampText() <= firstScan) {
        Sleep(50);
    }
    ASSERT_TRUE(korvane.pressKey(VK_F5, false)) << "Korvane's window did not come to the front";
    const std::wstring secondScan = korvane.waitForScan(firstScan, kScanWaitMs);
    ASSERT_FALSE(secondScan.empty()) << "F5 brought no scan after \"" << firstScan << "\"";
    EXPECT_EQ(korvane.rows().size(), firstRows.size());

    // Ctrl+C through the accelerator copies the selected rows in index
    // order, whatever order they were selected in.
    const std::vector<ShownRow> beforeCopy = korvane.rows();
    ASSERT_EQ(beforeCopy.size(), firstRows.size());
    const int last = static_cast<int>(beforeCopy.size()) - 1;
    ASSERT_TRUE(korvane.selectRows({last, last / 2, 0}));
    ASSERT_NO_FATAL_FAILURE(emptyClipboard());
    ASSERT_TRUE(korvane.pressKey('C', true));
    const std::wstring copied = clipboardTextSetBy(korvane.mainWindow());
    const std::vector<ShownRow> afterCopy = korvane.rows();
    ASSERT_EQ(afterCopy.size(), beforeCopy.size());
    size_t at = 0;
    for (const int index : {0, last / 2, last}) {
        const size_t tab = copied.find(L'\t', at);
        const size_t end = copied.find(L"\r\n", at);
        ASSERT_TRUE(tab < end && end != std::wstring::npos) << "row " << index << " is missing from: " << copied;
        EXPECT_TRUE(shownAs(copied.substr(at, tab - at), copied.substr(tab + 1, end - tab - 1), beforeCopy[index],
                            afterCopy[index]))
            << "row " << index << " shows " << beforeCopy[index].item << "\t" << beforeCopy[index].value
            << " but was copied as " << copied.substr(at, end - at);
        at = end + 2;
    }
    EXPECT_EQ(at, copied.size()) << "more than the three rows were copied: " << copied;

    // File > Save as CSV through the real Save As dialog.
    const TemporaryFolder folder(L"korvane-program-");
    const std::wstring path = folder.file(L"report.csv");
    const std::vector<ShownRow> beforeSave = korvane.rows();
    ASSERT_TRUE(korvane.saveAs(path, kStartMs, error)) << error;
    const std::vector<ShownRow> afterSave = korvane.rows();
    EXPECT_EQ(korvane.statusText(1), L"Saved " + path);
    const std::string bytes = fileBytes(path).value_or("");
    ASSERT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u) << "no byte-order mark at the start of " << path;
    const CsvReading csv = readCsv(std::string_view(bytes).substr(3));
    ASSERT_EQ(csv.error, "") << "at byte " << csv.at + 3 << " of " << path;
    std::vector<std::vector<std::wstring>> records;
    for (const CsvRecord& record : csv.records) {
        ASSERT_EQ(record.size(), 7u) << "a line of " << record.size() << " fields, beginning " << record[0].bytes;
        records.emplace_back();
        for (const CsvField& field : record) {
            records.back().push_back(wideFromUtf8(field.bytes));
        }
    }
    ASSERT_EQ(records.size(), 6 + beforeSave.size());
    EXPECT_EQ(records[0],
              (std::vector<std::wstring>{L"Section", L"Item", L"Value", L"State", L"Numeric", L"Unit", L"Reason"}));
    EXPECT_EQ(records[1][2], L"Korvane");
    EXPECT_EQ(L"Scanned at " + records[2][2], secondScan);
    EXPECT_EQ(records[5][2], korvane.statusText(0));
    for (size_t i = 0; i < beforeSave.size(); ++i) {
        const auto& record = records[6 + i];
        EXPECT_TRUE(shownAs(record[1], record[2], beforeSave[i], afterSave[i]))
            << "row " << i << " shows " << beforeSave[i].item << "\t" << beforeSave[i].value << " but was saved as "
            << record[1] << "\t" << record[2];
    }

    EXPECT_EQ(korvane.close(kStartMs), 0);
    std::printf("started, scanned twice, copied, saved and closed from outside in %.2f s\n",
                static_cast<double>(GetTickCount64() - started) / 1000);
}

// Windows looks for a DLL that is not one of its Known DLLs in the program's
// own folder first, and korvane.exe is run from wherever it was downloaded
// to. Recorders named after the two such DLLs Korvane uses lie beside a copy
// of it here; its start and first scan must load neither.
TEST(Program, LoadsNoDllPlantedBesideIt)
{
    static constexpr wchar_t kWineProgramsKey[] = L"Software\\Wine\\AppDefaults";
    static constexpr wchar_t kWineProgramKey[] = L"Software\\Wine\\AppDefaults\\korvane.exe";
    static constexpr wchar_t kWineOverridesKey[] = L"Software\\Wine\\AppDefaults\\korvane.exe\\DllOverrides";
    static constexpr wchar_t kNativeFirst[] = L"native,builtin";
    const TemporaryFolder folder(L"korvane-program-");
    const std::wstring recorder = besideThisProgram(L"korvane_planted_dll.dll");

    // The recorder leaves its marker when it is loaded, or this test proves nothing.
    const std::wstring probe = folder.file(L"recorder.dll");
    const std::wstring probeMarker = folder.file(L"recorder.dll.loaded");
    ASSERT_TRUE(CopyFileW(recorder.c_str(), probe.c_str(), FALSE)) << "error " << GetLastError();
    ASSERT_TRUE(UniqueHModule(LoadLibraryW(probe.c_str()))) << "error " << GetLastError();
    ASSERT_NE(GetFileAttributesW(probeMarker.c_str()), INVALID_FILE_ATTRIBUTES) << "the recorder left no marker";

    const std::wstring program = folder.file(L"korvane.exe");
    ASSERT_TRUE(CopyFileW(besideThisProgram(L"korvane.exe").c_str(), program.c_str(), FALSE))
        << "error " << GetLastError();
    const std::wstring planted[] = {L"dxgi.dll", L"iphlpapi.dll"};
    std::vector<std::wstring> markers;
    for (const std::wstring& name : planted) {
        ASSERT_TRUE(CopyFileW(recorder.c_str(), folder.file(name).c_str(), FALSE)) << "error " << GetLastError();
        markers.push_back(folder.file(name + L".loaded"));
    }

    // Wine prefers its own builtin DLLs to any found on the search path; the
    // copy is told, through Wine's settings for programs of its name, to
    // search as Windows does. Windows needs nothing.
    const bool underWine = findSystemFunction<const char*(CDECL*)()>(L"ntdll.dll", "wine_get_version") != nullptr;
    const ScopeExit forgetOverrides([&] {
        if (underWine) {
            for (const std::wstring& name : planted) {
                RegDeleteKeyValueW(HKEY_CURRENT_USER, kWineOverridesKey, name.substr(0, name.find(L'.')).c_str());
            }
            for (const wchar_t* key : {kWineOverridesKey, kWineProgramKey, kWineProgramsKey}) {
                deleteKeyIfEmpty(HKEY_CURRENT_USER, key);
            }
        }
    });
    if (underWine) {
        for (const std::wstring& name : planted) {
            ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kWineOverridesKey, name.substr(0, name.find(L'.')).c_str(),
                                      REG_SZ, kNativeFirst, sizeof(kNativeFirst)),
                      ERROR_SUCCESS);
        }
    }

    OutsideDriver korvane;
    std::wstring error;
    ASSERT_TRUE(korvane.start(program, kStartMs, error)) << error;
    EXPECT_FALSE(korvane.waitForScan(L"", kScanWaitMs).empty()) << "status part 1 never read \"Scanned at\"";
    EXPECT_EQ(korvane.close(kStartMs), 0);
    for (size_t i = 0; i < markers.size(); ++i) {
        EXPECT_EQ(GetFileAttributesW(markers[i].c_str()), INVALID_FILE_ATTRIBUTES)
            << "Korvane loaded the " << planted[i] << " planted beside it";
    }
}
