#include "scan/firmware_table.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/windows_failure.h"
#include "scan/smbios_parser.h"

namespace {

// A stand-in for GetSystemFirmwareTable: answers from a script, records the calls.
struct FakeCall {
    uint32_t provider = 0;
    uint32_t tableId = 0;
    bool hadBuffer = false;
    uint32_t bufferSize = 0;
    DWORD lastErrorOnEntry = 0;
};

struct FakeAnswer {
    uint32_t result = 0;
    DWORD error = 0;       // set when result is 0
    uint32_t written = 0;  // bytes of `fakeTable` copied into the buffer
};

std::vector<FakeAnswer> fakeAnswers;
std::vector<FakeCall> fakeCalls;
std::vector<uint8_t> fakeTable;

UINT WINAPI fakeFirmwareTable(DWORD provider, DWORD tableId, PVOID buffer, DWORD bufferSize)
{
    const DWORD entryError = GetLastError();
    fakeCalls.push_back({provider, tableId, buffer != nullptr, bufferSize, entryError});
    if (fakeCalls.size() > fakeAnswers.size()) {
        ADD_FAILURE() << "unexpected call " << fakeCalls.size();
        return 0;
    }
    const FakeAnswer& answer = fakeAnswers[fakeCalls.size() - 1];
    if (buffer != nullptr) {
        const uint32_t count =
            std::min({answer.written, static_cast<uint32_t>(bufferSize), static_cast<uint32_t>(fakeTable.size())});
        std::copy_n(fakeTable.begin(), count, static_cast<uint8_t*>(buffer));
    }
    if (answer.result == 0) {
        SetLastError(answer.error);
    }
    return answer.result;
}

struct Fetched {
    bool ok = false;
    std::vector<uint8_t> table{0xEE, 0xEE};  // stale content the reader must drop
    std::wstring reason = L"stale reason";
};

Fetched fetch(std::vector<FakeAnswer> answers)
{
    fakeAnswers = std::move(answers);
    fakeCalls.clear();
    fakeTable.resize(64);
    for (size_t i = 0; i < fakeTable.size(); ++i) {
        fakeTable[i] = static_cast<uint8_t>(i + 1);
    }
    Fetched fetched;
    SetLastError(1234);  // the reader must clear this before sizing
    fetched.ok = readFirmwareTable(FirmwareCalls{fakeFirmwareTable}, fetched.table, fetched.reason);
    return fetched;
}

std::vector<uint8_t> fakePrefix(size_t count)
{
    return std::vector<uint8_t>(fakeTable.begin(), fakeTable.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace

TEST(ReadFirmwareTable, AsksForTheSizeThenForTheRsmbTable)
{
    const Fetched fetched = fetch({{40, 0, 0}, {40, 0, 40}});
    ASSERT_TRUE(fetched.ok) << testing::PrintToString(fetched.reason);
    EXPECT_EQ(fetched.reason, L"");
    EXPECT_EQ(fetched.table, fakePrefix(40));
    ASSERT_EQ(fakeCalls.size(), 2u);
    for (const FakeCall& call : fakeCalls) {
        EXPECT_EQ(call.provider, 0x52534D42u) << "provider 'RSMB'";
        EXPECT_EQ(call.tableId, 0u);
    }
    EXPECT_FALSE(fakeCalls[0].hadBuffer);
    EXPECT_EQ(fakeCalls[0].bufferSize, 0u);
    EXPECT_EQ(fakeCalls[0].lastErrorOnEntry, 0u) << "the last error is cleared before the sizing call";
    EXPECT_TRUE(fakeCalls[1].hadBuffer);
    EXPECT_EQ(fakeCalls[1].bufferSize, 40u);
}

TEST(ReadFirmwareTable, ShrinksToASmallerAnswerAndKeepsTheBufferWhenTheTableGrew)
{
    const Fetched shrunk = fetch({{40, 0, 0}, {24, 0, 24}});
    ASSERT_TRUE(shrunk.ok);
    EXPECT_EQ(shrunk.table, fakePrefix(24));
    EXPECT_EQ(fakeCalls.size(), 2u);

    // Windows answers with the larger size it now needs; there is no third
    // call, and the header inside the buffer is left for the parse to judge.
    const Fetched grew = fetch({{40, 0, 0}, {48, 0, 0}});
    ASSERT_TRUE(grew.ok);
    EXPECT_EQ(grew.table.size(), 40u);
    EXPECT_EQ(grew.reason, L"");
    EXPECT_EQ(fakeCalls.size(), 2u);
}

TEST(ReadFirmwareTable, FailuresCarryTheWindowsTextOfTheLastError)
{
    const Fetched noSize = fetch({{0, ERROR_INVALID_FUNCTION, 0}});
    EXPECT_FALSE(noSize.ok);
    EXPECT_TRUE(noSize.table.empty());
    EXPECT_EQ(noSize.reason, windowsFailureText(ERROR_INVALID_FUNCTION));
    EXPECT_EQ(fakeCalls.size(), 1u) << "no second call after a failed sizing call";

    const Fetched silent = fetch({{0, 0, 0}});
    EXPECT_FALSE(silent.ok);
    EXPECT_EQ(silent.reason, windowsFailureText(0)) << "a failure that sets no error still gets a reason";

    const Fetched secondFails = fetch({{40, 0, 0}, {0, ERROR_INSUFFICIENT_BUFFER, 40}});
    EXPECT_FALSE(secondFails.ok);
    EXPECT_TRUE(secondFails.table.empty()) << "the buffer is emptied when the fetch fails";
    EXPECT_EQ(secondFails.reason, windowsFailureText(ERROR_INSUFFICIENT_BUFFER));
}

TEST(ReadFirmwareTable, TheRealTableParses)
{
    std::vector<uint8_t> table;
    std::wstring reason;
    ASSERT_TRUE(readFirmwareTable(FirmwareCalls{}, table, reason)) << testing::PrintToString(reason);
    EXPECT_EQ(reason, L"");
    ASSERT_GE(table.size(), 8u);
    const uint32_t declared = static_cast<uint32_t>(table[4]) | (static_cast<uint32_t>(table[5]) << 8) |
                              (static_cast<uint32_t>(table[6]) << 16) | (static_cast<uint32_t>(table[7]) << 24);
    EXPECT_EQ(declared, table.size() - 8) << "the header's length matches the bytes returned";

    FirmwareSummary summary;
    ASSERT_TRUE(parseSmbios(table.data(), table.size(), summary, reason)) << testing::PrintToString(reason);
    const unsigned major = table[1];
    const unsigned minor = table[2];
    if (major != 0 || minor != 0) {
        EXPECT_EQ(static_cast<int>(summary.smbiosVersion.state), static_cast<int>(ReadingState::Ok));
        EXPECT_EQ(summary.smbiosVersion.value, std::to_wstring(major) + L"." + std::to_wstring(minor));
    }
    // A good table yields a reading, never a failure, for every field.
    for (const Reading* reading : {&summary.biosVendor, &summary.biosVersion, &summary.biosReleaseDate,
                                   &summary.systemManufacturer, &summary.systemModel, &summary.processorSocket,
                                   &summary.processorManufacturer, &summary.processorVersion}) {
        EXPECT_NE(static_cast<int>(reading->state), static_cast<int>(ReadingState::Failed)) << reading->reason;
    }
}
