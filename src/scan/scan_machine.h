#pragma once

#include "report/snapshot.h"

// Reads the machine into `snapshot`, which is first reset to a new snapshot's
// state. Never stops early: every failure becomes the state and reason of the
// readings it concerns. Runs on the scan thread; allocation failure is the
// only thing that leaves it as an exception.
ScanSnapshot& scanMachine(ScanSnapshot& snapshot);

// The steps scanMachine takes itself, each filling its own fields.
void readComputerNames(ScanSnapshot& snapshot);
void readWindowsRelease(ScanSnapshot& snapshot);
void readArchitecture(ScanSnapshot& snapshot);
void readUptime(ScanSnapshot& snapshot);
