#pragma once

#include <string>

#include "report/snapshot.h"

// One sentence saying what on the page could not be read, never empty.
[[nodiscard]] std::wstring completenessSummary(const ScanTally& tally);
// True exactly when the summary is the "everything was read" sentence.
[[nodiscard]] bool pageIsComplete(const ScanTally& tally);
