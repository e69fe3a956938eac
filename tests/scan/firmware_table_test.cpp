#include "scan/firmware_table.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/windows_failure.h"
#include "scan/fake_machine.h"
#include "scan/smbios_parser.h"

namespace {

struct Fetched {
    bool ok = false;
    std::vector<uint8_t> table{0xEE, 0xEE};  // stale content the reader must drop
    std::wstring reason = L"stale reason";
};

Fetched fetch(const FakeMachine& machine)
{
    Fetched fetched;
    SetLastError(1234);  // the reader must clear this before sizing
    fetched.ok = readFirmwareTable(machine.calls.firmware, fetched.table, fetched.reason);
    return fetched;
}

}  // namespace

TEST(ReadFirmwareTable, AsksForTheSizeThenForTheRsmbTable)
{
    FakeMachine machine;
    const Fetched fetched = fetch(machine);
    ASSERT_TRUE(fetched.ok) << testing::PrintToString(fetched.reason);
    EXPECT_EQ(fetched.reason, L"");
    EXPECT_EQ(fetched.table, machine.firmwareTable);
    // Provider 'RSMB', table 0: sized without a buffer, the last error cleared
    // before, then filled in a buffer of that size.
    const auto size = static_cast<DWORD>(machine.firmwareTable.size());
    EXPECT_EQ(machine.firmwareCalls, (std::vector<FakeMachine::FirmwareCall>{{0x52534D42u, 0, false, 0, 0},
                                                                             {0x52534D42u, 0, true, size, 0}}));
}

TEST(ReadFirmwareTable, ShrinksToASmallerAnswerAndKeepsTheBufferWhenTheTableGrew)
{
    FakeMachine machine;
    const std::vector<uint8_t> table = machine.firmwareTable;
    machine.firmwareTableLater.emplace(table.begin(), table.begin() + 24);
    Fetched fetched = fetch(machine);
    ASSERT_TRUE(fetched.ok);
    EXPECT_EQ(fetched.table, *machine.firmwareTableLater);

    // Windows answers with the larger size it now needs; there is no third
    // call, and the header inside the buffer is left for the parse to judge.
    machine.firmwareTableLater = table;
    machine.firmwareTableLater->resize(table.size() + 8);
    machine.firmwareCalls.clear();
    fetched = fetch(machine);
    ASSERT_TRUE(fetched.ok);
    EXPECT_EQ(fetched.table.size(), table.size());
    EXPECT_EQ(fetched.reason, L"");
    EXPECT_EQ(machine.firmwareCalls.size(), 2u);
}

TEST(ReadFirmwareTable, FailuresCarryTheWindowsTextOfTheLastError)
{
    const struct {
        const char* what;
        bool sized;
        DWORD error;
        size_t calls;
    } cases[] = {{"no size, and no second call", false, ERROR_INVALID_FUNCTION, 1},
                 {"a failure that sets no error still gets a reason", false, 0, 1},
                 {"the filling call fails", true, ERROR_INSUFFICIENT_BUFFER, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine machine;
        machine.firmwareError = c.error;
        if (c.sized) {
            machine.firmwareTableLater.emplace();
        } else {
            machine.firmwareTable.clear();
        }
        const Fetched fetched = fetch(machine);
        EXPECT_FALSE(fetched.ok);
        EXPECT_TRUE(fetched.table.empty()) << "the buffer is emptied when the fetch fails";
        EXPECT_EQ(fetched.reason, windowsFailureText(c.error));
        EXPECT_EQ(machine.firmwareCalls.size(), c.calls);
    }
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
