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

[[nodiscard]] LiveState& liveState();

// Start-up's first readings: memory and processor times, no load derived yet.
void takeFirstSamples();
// One tick's readings: memory, processor times and the load since the last tick.
void takeLiveSamples();

// How the live side reads the processor time counters; tests replace it to
// feed chosen readings (a failed one, counters that go backwards).
using ProcessorTimesSampler = ProcessorTimes (*)();
[[nodiscard]] ProcessorTimesSampler& processorTimesSampler();
