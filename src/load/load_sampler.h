#pragma once

#include <string>

#include "load/load_derivation.h"
#include "report/snapshot.h"

[[nodiscard]] ProcessorTimes sampleProcessorTimes();

// The window thread's live figures, replaced once a second.
struct LiveState {
    MemorySample liveMemory;
    LoadSample liveLoad;
    ProcessorTimes previousTimes;
    bool havePreviousTimes = false;
    std::wstring liveTakenAt;
};

// How the live side reads the processor time counters: sampleProcessorTimes,
// or in tests chosen readings (a failed one, counters that go backwards).
using ProcessorTimesSampler = ProcessorTimes (*)();

// Start-up's first readings: memory and processor times, no load derived yet.
void takeFirstSamples(LiveState& live, ProcessorTimesSampler sampleTimes);
// One tick's readings: memory, processor times and the load since the last tick.
void takeLiveSamples(LiveState& live, ProcessorTimesSampler sampleTimes);
