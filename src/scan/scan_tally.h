#pragma once

#include "report/snapshot.h"

// Counts the snapshot's 26 single readings and each drive's two by state into
// its tally, replacing the counts it had.
void tallyStates(ScanSnapshot& snapshot);
