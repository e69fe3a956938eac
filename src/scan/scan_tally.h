#pragma once

#include "report/snapshot.h"

// Counts the snapshot's single readings (those of kFixedRows) and each drive's
// two by state into its tally, replacing the counts it had.
void tallyStates(ScanSnapshot& snapshot);
