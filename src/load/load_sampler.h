#pragma once

#include <windows.h>

#include <string>

#include "load/load_derivation.h"
#include "report/snapshot.h"

// The Windows calls behind a processor-time reading; tests give others to play
// a machine with several processor groups.
struct ProcessorTimesCalls {
    decltype(&GetActiveProcessorGroupCount) activeProcessorGroupCount = GetActiveProcessorGroupCount;
    decltype(&GetActiveProcessorCount) activeProcessorCount = GetActiveProcessorCount;
    decltype(&SetThreadGroupAffinity) setThreadGroupAffinity = SetThreadGroupAffinity;
    decltype(&GetSystemTimes) systemTimes = GetSystemTimes;
};

// The processor time counters of every processor group. GetSystemTimes counts
// only the group the calling thread runs in, so on a machine with more than
// one group the thread visits each group in turn and comes back.
[[nodiscard]] ProcessorTimes sampleProcessorTimes(const ProcessorTimesCalls& calls);
// The same through the real calls.
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
