#pragma once

#include <cstdint>
#include <string>

#include "report/snapshot.h"

// One reading of the system's processor time counters, in 100-ns units summed
// over all processors. Kernel time includes idle time.
struct ProcessorTimes {
    bool read = false;
    std::wstring reason;
    uint64_t idle = 0;
    uint64_t kernel = 0;
    uint64_t user = 0;
};

[[nodiscard]] ProcessorTimes sampleProcessorTimes();
// The processor load of the time between two readings, or why there is none.
[[nodiscard]] LoadSample deriveLoad(const ProcessorTimes& earlier, const ProcessorTimes& later);

// The window thread's live figures, replaced once a second.
struct LiveState {
    MemorySample liveMemory;
    LoadSample liveLoad;
    ProcessorTimes previousTimes;
    bool havePreviousTimes = false;
    std::wstring liveTakenAt;
};

[[nodiscard]] LiveState& liveState();

// Start-up's first readings: memory and processor times, no load derived yet.
void takeFirstSamples();
// One tick's readings: memory, processor times and the load since the last tick.
void takeLiveSamples();

// How the live side reads the processor time counters; tests replace it to
// feed chosen readings (a failed one, counters that go backwards).
using ProcessorTimesSampler = ProcessorTimes (*)();
[[nodiscard]] ProcessorTimesSampler& processorTimesSampler();
