#include "load/load_sampler.h"

#include <windows.h>

#include <utility>

#include "common/windows_failure.h"
#include "load/local_time.h"
#include "report/memory_sample.h"

namespace {

uint64_t fileTimeValue(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

ProcessorTimes failedTimes(DWORD error)
{
    ProcessorTimes times;
    times.reason = windowsFailureText(error);
    return times;
}

// One GetSystemTimes: the group the calling thread runs in.
ProcessorTimes readSystemTimes(const ProcessorTimesCalls& calls)
{
    FILETIME idle{};
    FILETIME kernel{};
    FILETIME user{};
    if (!calls.systemTimes(&idle, &kernel, &user)) {
        return failedTimes(GetLastError());
    }
    ProcessorTimes times;
    times.read = true;
    times.idle = fileTimeValue(idle);
    times.kernel = fileTimeValue(kernel);
    times.user = fileTimeValue(user);
    return times;
}

// Every active processor of the group; a group holds at most 64.
GROUP_AFFINITY wholeGroup(WORD group, DWORD processors)
{
    GROUP_AFFINITY affinity{};
    affinity.Group = group;
    affinity.Mask = processors >= 64 ? ~KAFFINITY{0} : (KAFFINITY{1} << processors) - 1;
    return affinity;
}

}  // namespace

ProcessorTimes sampleProcessorTimes(const ProcessorTimesCalls& calls)
{
    const WORD groups = calls.activeProcessorGroupCount();
    if (groups <= 1) {
        return readSystemTimes(calls);
    }
    const HANDLE thread = GetCurrentThread();
    GROUP_AFFINITY original{};
    bool moved = false;
    ProcessorTimes sum;
    sum.read = true;
    for (WORD group = 0; group < groups; ++group) {
        const GROUP_AFFINITY target = wholeGroup(group, calls.activeProcessorCount(group));
        if (!calls.setThreadGroupAffinity(thread, &target, moved ? nullptr : &original)) {
            sum = failedTimes(GetLastError());
            break;
        }
        moved = true;
        const ProcessorTimes times = readSystemTimes(calls);
        if (!times.read) {
            sum = times;
            break;
        }
        sum.idle += times.idle;
        sum.kernel += times.kernel;
        sum.user += times.user;
    }
    // A thread left in another group would stay there for good.
    if (moved && !calls.setThreadGroupAffinity(thread, &original, nullptr) && sum.read) {
        sum = failedTimes(GetLastError());
    }
    return sum;
}

ProcessorTimes sampleProcessorTimes()
{
    return sampleProcessorTimes(ProcessorTimesCalls{});
}

void takeFirstSamples(LiveState& live, ProcessorTimesSampler sampleTimes)
{
    live.liveMemory = sampleMemory();
    live.liveTakenAt = localTimestampText();
    live.previousTimes = sampleTimes();
    live.havePreviousTimes = true;
}

void takeLiveSamples(LiveState& live, ProcessorTimesSampler sampleTimes)
{
    MemorySample memory = sampleMemory();
    ProcessorTimes times = sampleTimes();
    live.liveLoad = live.havePreviousTimes ? deriveLoad(live.previousTimes, times) : LoadSample{};
    // A failed reading is kept too: the next tick reports it again as the
    // earlier reading instead of spanning two seconds.
    live.previousTimes = std::move(times);
    live.havePreviousTimes = true;
    live.liveMemory = std::move(memory);
    live.liveTakenAt = localTimestampText();
}
