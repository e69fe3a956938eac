#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Counting the processor cores in the records of Windows' two topology calls,
// apart from the calls themselves (processor_topology.h). The bytes are
// walked with every length checked first.

// GetLogicalProcessorInformationEx's variable-length records: the number of
// processor-core records. `records` is what the call said it returned.
[[nodiscard]] uint64_t countCoreRecords(std::span<const uint8_t> records);

// The size of one SYSTEM_LOGICAL_PROCESSOR_INFORMATION entry on 64-bit Windows.
inline constexpr size_t kProcessorEntrySize = 32;

// GetLogicalProcessorInformation's fixed entries: the number of whole
// entries whose relationship is a processor core.
[[nodiscard]] uint64_t countCoreEntries(std::span<const uint8_t> entries);
