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

}  // namespace

ProcessorTimes sampleProcessorTimes()
{
    ProcessorTimes times;
    FILETIME idle{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetSystemTimes(&idle, &kernel, &user)) {
        const DWORD error = GetLastError();
        times.reason = windowsFailureText(error);
        return times;
    }
    times.read = true;
    times.idle = fileTimeValue(idle);
    times.kernel = fileTimeValue(kernel);
    times.user = fileTimeValue(user);
    return times;
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
