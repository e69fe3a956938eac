#include "scan/processor_cores.h"

#include <cstring>

namespace {

uint32_t readU32(std::span<const uint8_t> bytes, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof(value));
    return value;
}

constexpr uint32_t kRelationProcessorCore = 0;

}  // namespace

uint64_t countCoreRecords(std::span<const uint8_t> records)
{
    // Each record starts with its relationship (offset 0) and its own size
    // (offset 4); a record too short to hold both ends the walk.
    uint64_t cores = 0;
    size_t offset = 0;
    while (offset < records.size() && records.size() - offset >= 8) {
        const uint32_t relationship = readU32(records, offset);
        const uint32_t size = readU32(records, offset + 4);
        if (size == 0) {
            break;
        }
        if (relationship == kRelationProcessorCore) {
            ++cores;
        }
        if (size > records.size() - offset) {
            break;
        }
        offset += size;
    }
    return cores;
}

uint64_t countCoreEntries(std::span<const uint8_t> entries)
{
    // ProcessorMask (8 bytes) comes first, the relationship follows it.
    uint64_t cores = 0;
    const size_t count = entries.size() / kProcessorEntrySize;
    for (size_t i = 0; i < count; ++i) {
        if (readU32(entries, i * kProcessorEntrySize + 8) == kRelationProcessorCore) {
            ++cores;
        }
    }
    return cores;
}
