#include "load/load_sampler.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/windows_failure.h"
#include "report/memory_sample.h"
#include "scan/host_file.h"

namespace {

ProcessorTimes readTimes(uint64_t idle, uint64_t kernel, uint64_t user)
{
    ProcessorTimes times;
    times.read = true;
    times.idle = idle;
    times.kernel = kernel;
    times.user = user;
    return times;
}

ProcessorTimes failedTimes(const std::wstring& reason)
{
    ProcessorTimes times;
    times.reason = reason;
    return times;
}

constexpr wchar_t kCouldNotRead[] = L"the processor time counters could not be read: ";

TEST(DeriveLoad, ReasonsWhenNoLoadCanBeDerived)
{
    const ProcessorTimes base = readTimes(5'000'000, 9'000'000, 2'000'000);
    struct Case {
        const char* name;
        ProcessorTimes earlier;
        ProcessorTimes later;
        std::wstring reason;
    };
    const Case cases[] =
        {{"no time passed", base, base, L"no processor time passed between the two readings"},
         {"idle went back while kernel and user grew", base, readTimes(4'999'999, 9'500'000, 2'500'000),
          L"the processor time counters went backwards between readings"},
         {"kernel went back", base, readTimes(5'000'000, 8'999'999, 2'500'000),
          L"the processor time counters went backwards between readings"},
         {"user went back", base, readTimes(5'000'000, 9'500'000, 1'999'999),
          L"the processor time counters went backwards between readings"},
         {"more idle than total (10 against 4 + 2)", base, readTimes(5'000'010, 9'000'004, 2'000'002),
          L"the counters reported more idle time than total time"},
         {"earlier failed", failedTimes(L"Access is denied. (error 5)"), base,
          std::wstring(kCouldNotRead) + L"Access is denied. (error 5)"},
         {"later failed with error code 0", base, failedTimes(windowsFailureText(0)),
          std::wstring(kCouldNotRead) + L"the call failed without setting an error code"},
         {"both failed: the later reason is told", failedTimes(L"first"), failedTimes(L"second"),
          std::wstring(kCouldNotRead) + L"second"},
         {"later failed without a reason", base, failedTimes(L""), std::wstring(kCouldNotRead) + L"reason unknown"},
         {"earlier failed without a reason", failedTimes(L""), base,
          std::wstring(kCouldNotRead) + L"reason unknown"}};
    for (const Case& c : cases) {
        const LoadSample load = deriveLoad(c.earlier, c.later);
        EXPECT_FALSE(load.measured) << c.name;
        EXPECT_EQ(load.percent, 0.0) << c.name;
        EXPECT_EQ(load.reason, c.reason) << c.name;
    }
}

TEST(DeriveLoad, PercentOfBusyTimeNotRounded)
{
    struct Case {
        const char* name;
        ProcessorTimes earlier;
        ProcessorTimes later;
        double percent;
    };
    const uint64_t big = 1ull << 63;
    const Case cases[] = {// One second on four processors: 40,000,000 units, 30,000,000 of them idle.
                          {"exactly a quarter", readTimes(1'000, 2'000, 3'000),
                           readTimes(30'001'000, 32'002'000, 8'003'000), 25.0},
                          {"all idle", readTimes(0, 0, 0), readTimes(700, 700, 0), 0.0},
                          {"never idle", readTimes(0, 0, 0), readTimes(0, 300, 900), 100.0},
                          {"two thirds stay unrounded", readTimes(0, 0, 0), readTimes(1, 3, 0), 200.0 / 3.0},
                          // Differences above 2^63 must be converted as unsigned numbers.
                          {"huge differences", readTimes(0, 0, 0), readTimes(big, big + (big >> 1), 0), 100.0 / 3.0}};
    for (const Case& c : cases) {
        const LoadSample load = deriveLoad(c.earlier, c.later);
        EXPECT_TRUE(load.measured) << c.name << ": " << std::string(load.reason.begin(), load.reason.end());
        EXPECT_DOUBLE_EQ(load.percent, c.percent) << c.name;
        EXPECT_TRUE(load.reason.empty()) << c.name;
    }
    EXPECT_EQ(deriveLoad(readTimes(0, 0, 0), readTimes(30'000'000, 32'000'000, 8'000'000)).percent, 25.0)
        << "a quarter must come out exact, not merely close";
}

// A machine of two processor groups as GetSystemTimes shows it: the counters
// of the group the calling thread is in.
struct GroupedMachine {
    WORD groups = 2;
    DWORD processors[2] = {64, 8};
    ProcessorTimes times[2];
    GROUP_AFFINITY affinity{};  // the calling thread's
    std::vector<GROUP_AFFINITY> affinitiesSet;
    int systemTimesCalls = 0;
    int moveCalls = 0;
    int failingMove = -1;  // the affinity move that fails (0 the first), -1 none
    int failingRead = -1;  // the group whose read fails, -1 none
};

GroupedMachine& grouped()
{
    static GroupedMachine machine;
    return machine;
}

WORD WINAPI fakeGroupCount()
{
    return grouped().groups;
}

DWORD WINAPI fakeProcessorCount(WORD group)
{
    return group < 2 ? grouped().processors[group] : 0;
}

BOOL WINAPI fakeSetAffinity(HANDLE, const GROUP_AFFINITY* affinity, PGROUP_AFFINITY previous)
{
    GroupedMachine& machine = grouped();
    if (machine.moveCalls++ == machine.failingMove) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    machine.affinitiesSet.push_back(*affinity);
    if (previous != nullptr) {
        *previous = machine.affinity;
    }
    machine.affinity = *affinity;
    return TRUE;
}

BOOL WINAPI fakeSystemTimes(PFILETIME idle, PFILETIME kernel, PFILETIME user)
{
    GroupedMachine& machine = grouped();
    ++machine.systemTimesCalls;
    if (machine.affinity.Group == machine.failingRead) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const ProcessorTimes& times = machine.times[machine.affinity.Group];
    const auto put = [](PFILETIME time, uint64_t value) {
        *time = FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    };
    put(idle, times.idle);
    put(kernel, times.kernel);
    put(user, times.user);
    return TRUE;
}

ProcessorTimesCalls groupedCalls()
{
    return {.activeProcessorGroupCount = fakeGroupCount,
            .activeProcessorCount = fakeProcessorCount,
            .setThreadGroupAffinity = fakeSetAffinity,
            .systemTimes = fakeSystemTimes};
}

bool sameAffinity(const GROUP_AFFINITY& a, const GROUP_AFFINITY& b)
{
    return a.Group == b.Group && a.Mask == b.Mask;
}

// The thread starts in group 1, on two of its processors.
constexpr GROUP_AFFINITY kStartAffinity{0b0110, 1, {0, 0, 0}};

TEST(ProcessorTimesOfGroups, LoadIsThatOfEveryGroupAndTheThreadGoesBack)
{
    grouped() = GroupedMachine{};
    grouped().affinity = kStartAffinity;
    grouped().times[0] = readTimes(1'000, 2'000, 500);
    grouped().times[1] = readTimes(40'000, 41'000, 100);
    const ProcessorTimes earlier = sampleProcessorTimes(groupedCalls());
    ASSERT_TRUE(earlier.read) << testing::PrintToString(earlier.reason);
    EXPECT_EQ(earlier.idle, 41'000u);
    EXPECT_EQ(earlier.kernel, 43'000u);
    EXPECT_EQ(earlier.user, 600u);

    // Then 1,000 units of group 0 all busy and 1,000 of group 1 all idle: half the machine busy.
    grouped().times[0] = readTimes(1'000, 2'300, 1'200);
    grouped().times[1] = readTimes(41'000, 42'000, 100);
    const ProcessorTimes later = sampleProcessorTimes(groupedCalls());
    ASSERT_TRUE(later.read) << testing::PrintToString(later.reason);
    const LoadSample load = deriveLoad(earlier, later);
    ASSERT_TRUE(load.measured) << testing::PrintToString(load.reason);
    EXPECT_EQ(load.percent, 50.0);

    const GROUP_AFFINITY expectedMoves[] = {{~KAFFINITY{0}, 0, {0, 0, 0}}, {0xFF, 1, {0, 0, 0}}, kStartAffinity};
    const std::vector<GROUP_AFFINITY>& moves = grouped().affinitiesSet;
    ASSERT_EQ(moves.size(), 6u) << "each reading visits both groups, then goes back";
    for (size_t i = 0; i < moves.size(); ++i) {
        EXPECT_TRUE(sameAffinity(moves[i], expectedMoves[i % 3])) << "move " << i;
    }
    EXPECT_TRUE(sameAffinity(grouped().affinity, kStartAffinity));

    // One group: the one call as ever, the thread left where it is.
    grouped() = GroupedMachine{};
    grouped().groups = 1;
    grouped().affinity = kStartAffinity;
    grouped().times[1] = readTimes(7, 9, 11);
    const ProcessorTimes single = sampleProcessorTimes(groupedCalls());
    EXPECT_TRUE(single.read);
    EXPECT_EQ(single.kernel, 9u);
    EXPECT_EQ(grouped().systemTimesCalls, 1);
    EXPECT_TRUE(grouped().affinitiesSet.empty());
}

TEST(ProcessorTimesOfGroups, AFailedReadOrMoveFailsTheWholeReading)
{
    struct Case {
        const char* name;
        int failingMove;
        int failingRead;
        DWORD error;
        bool threadBack;
    };
    const Case cases[] = {{"group 1 cannot be read", -1, 1, ERROR_ACCESS_DENIED, true},
                          {"group 0 cannot be read", -1, 0, ERROR_ACCESS_DENIED, true},
                          {"the thread cannot move to group 1", 1, -1, ERROR_INVALID_PARAMETER, true},
                          {"the thread cannot move at all", 0, -1, ERROR_INVALID_PARAMETER, true},
                          {"the thread cannot go back", 2, -1, ERROR_INVALID_PARAMETER, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grouped() = GroupedMachine{};
        grouped().affinity = kStartAffinity;
        grouped().times[0] = readTimes(1, 2, 3);
        grouped().times[1] = readTimes(4, 5, 6);
        grouped().failingMove = c.failingMove;
        grouped().failingRead = c.failingRead;
        const ProcessorTimes times = sampleProcessorTimes(groupedCalls());
        EXPECT_FALSE(times.read);
        EXPECT_EQ(times.reason, windowsFailureText(c.error));
        EXPECT_EQ(times.idle + times.kernel + times.user, 0u);
        EXPECT_EQ(sameAffinity(grouped().affinity, kStartAffinity), c.threadBack);
    }
}

void keepBusy(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    volatile uint64_t sink = 0;
    while (GetTickCount64() < end) {
        for (int i = 0; i < 10000; ++i) {
            sink = sink + static_cast<uint64_t>(i);
        }
    }
}

bool isTimestamp(const std::wstring& text)
{
    if (text.size() != 19) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t expected = i == 4 || i == 7 ? L'-' : i == 10 ? L' ' : i == 13 || i == 16 ? L':' : L'0';
        if (expected == L'0' ? (text[i] < L'0' || text[i] > L'9') : text[i] != expected) {
            return false;
        }
    }
    return true;
}

TEST(LoadSamplerOnThisMachine, ProcessorTimesGiveAPlausibleLoad)
{
    const ProcessorTimes first = sampleProcessorTimes();
    ASSERT_TRUE(first.read) << std::string(first.reason.begin(), first.reason.end());
    EXPECT_TRUE(first.reason.empty());
    EXPECT_GE(first.kernel, first.idle) << "kernel time includes idle time";
    keepBusy(200);
    const ProcessorTimes second = sampleProcessorTimes();
    ASSERT_TRUE(second.read);
    EXPECT_GT(second.kernel + second.user, first.kernel + first.user) << "200 ms passed on every processor";

    const LoadSample load = deriveLoad(first, second);
    ASSERT_TRUE(load.measured) << std::string(load.reason.begin(), load.reason.end());
    EXPECT_GE(load.percent, 0.0);
    EXPECT_LE(load.percent, 100.0);
    std::printf("[   INFO   ] load over 200 ms of busy loop: %.1f%%\n", load.percent);
}

TEST(LoadSamplerOnThisMachine, MemoryMatchesTheHost)
{
    SKIP_UNLESS_UNDER_WINE();
    const std::string kilobytes = hostField(readHostFile(L"Z:\\proc\\meminfo"), "MemTotal");
    const uint64_t hostTotal = std::strtoull(kilobytes.c_str(), nullptr, 10) * 1024;
    ASSERT_GT(hostTotal, 0u) << "Z:\\proc\\meminfo gave no MemTotal";

    const MemorySample memory = sampleMemory();
    ASSERT_TRUE(memory.read) << std::string(memory.reason.begin(), memory.reason.end());
    EXPECT_TRUE(memory.reason.empty());
    const double ratio = static_cast<double>(memory.totalPhysical) / static_cast<double>(hostTotal);
    EXPECT_GT(ratio, 0.97) << memory.totalPhysical << " against MemTotal " << hostTotal;
    EXPECT_LT(ratio, 1.03) << memory.totalPhysical << " against MemTotal " << hostTotal;
    EXPECT_GT(memory.availablePhysical, 0u);
    EXPECT_LE(memory.availablePhysical, memory.totalPhysical);
    EXPECT_EQ(memory.inUse, memory.totalPhysical - memory.availablePhysical);
    EXPECT_LE(memory.loadPercent, 100u);
    EXPECT_GT(memory.commitTotal, 0u);
    EXPECT_LE(memory.commitAvailable, memory.commitTotal);
    EXPECT_FALSE(memory.installedStated) << "only the scan states the installed memory";
    EXPECT_EQ(memory.installedBytes, 0u);
    std::printf("[   INFO   ] Wine: total %llu, available %llu, load %u%%; host MemTotal %llu bytes\n",
                static_cast<unsigned long long>(memory.totalPhysical),
                static_cast<unsigned long long>(memory.availablePhysical), memory.loadPercent,
                static_cast<unsigned long long>(hostTotal));
}

// Each test starts from the state the program starts with.
class LiveSampling : public ::testing::Test {
protected:
    LiveState live_;
    ProcessorTimesSampler sampler_ = sampleProcessorTimes;
};

TEST_F(LiveSampling, FirstSamplesDeriveNoLoadAndTicksDo)
{
    takeFirstSamples(live_, sampler_);
    const LiveState& live = live_;
    EXPECT_TRUE(live.havePreviousTimes);
    EXPECT_TRUE(live.previousTimes.read);
    EXPECT_FALSE(live.liveLoad.measured) << "start-up derives no load";
    EXPECT_TRUE(live.liveLoad.reason.empty());
    EXPECT_TRUE(live.liveMemory.read);
    EXPECT_GT(live.liveMemory.totalPhysical, 0u);
    EXPECT_TRUE(isTimestamp(live.liveTakenAt)) << std::string(live.liveTakenAt.begin(), live.liveTakenAt.end());

    const ProcessorTimes atStart = live.previousTimes;
    keepBusy(200);
    takeLiveSamples(live_, sampler_);
    EXPECT_TRUE(live.liveLoad.measured) << std::string(live.liveLoad.reason.begin(), live.liveLoad.reason.end());
    EXPECT_GE(live.liveLoad.percent, 0.0);
    EXPECT_LE(live.liveLoad.percent, 100.0);
    EXPECT_GT(live.previousTimes.kernel + live.previousTimes.user, atStart.kernel + atStart.user)
        << "the tick's reading replaces the earlier one";
    EXPECT_TRUE(live.liveMemory.read);
    EXPECT_TRUE(isTimestamp(live.liveTakenAt));
}

TEST_F(LiveSampling, TickWithoutEarlierReadingDerivesNothing)
{
    takeLiveSamples(live_, sampler_);
    const LiveState& live = live_;
    EXPECT_FALSE(live.liveLoad.measured);
    EXPECT_TRUE(live.liveLoad.reason.empty());
    EXPECT_TRUE(live.havePreviousTimes) << "the tick's reading is the next tick's earlier one";
    EXPECT_TRUE(live.previousTimes.read);
    EXPECT_TRUE(live.liveMemory.read);
    EXPECT_TRUE(isTimestamp(live.liveTakenAt));
}

// Readings handed out in order by the replaced sampler.
std::vector<ProcessorTimes>& scriptedReadings()
{
    static std::vector<ProcessorTimes> readings;
    return readings;
}

ProcessorTimes nextScriptedReading()
{
    std::vector<ProcessorTimes>& readings = scriptedReadings();
    if (readings.empty()) {
        return failedTimes(L"script exhausted");
    }
    ProcessorTimes next = readings.front();
    readings.erase(readings.begin());
    return next;
}

TEST_F(LiveSampling, FailedReadingSpoilsTwoLoadsInARow)
{
    scriptedReadings() = {readTimes(100, 200, 300), failedTimes(L"Access is denied. (error 5)"),
                          readTimes(1'100, 2'200, 300), readTimes(1'400, 3'200, 1'300)};
    sampler_ = &nextScriptedReading;
    const LiveState& live = live_;
    const std::wstring denied = std::wstring(kCouldNotRead) + L"Access is denied. (error 5)";

    takeFirstSamples(live_, sampler_);
    EXPECT_EQ(live.previousTimes.idle, 100u);
    EXPECT_FALSE(live.liveLoad.measured);

    takeLiveSamples(live_, sampler_);
    EXPECT_FALSE(live.liveLoad.measured);
    EXPECT_EQ(live.liveLoad.reason, denied) << "the load ending with the failed reading";
    EXPECT_FALSE(live.previousTimes.read) << "a failed reading is kept as the earlier one";

    takeLiveSamples(live_, sampler_);
    EXPECT_FALSE(live.liveLoad.measured);
    EXPECT_EQ(live.liveLoad.reason, denied) << "the load starting from the failed reading";
    EXPECT_EQ(live.previousTimes.kernel, 2'200u);

    takeLiveSamples(live_, sampler_);
    ASSERT_TRUE(live.liveLoad.measured) << std::string(live.liveLoad.reason.begin(), live.liveLoad.reason.end());
    // idle 300, kernel 1000, user 1000: 1700 of 2000 busy.
    EXPECT_DOUBLE_EQ(live.liveLoad.percent, 85.0);
    EXPECT_TRUE(live.liveLoad.reason.empty());
    scriptedReadings().clear();
}

}  // namespace
