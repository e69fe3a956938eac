// The SMBIOS walk and the few fields the report takes from it. Pure: the
// bytes come from readFirmwareTable (or a test) and are treated as hostile.
#include "scan/smbios_parser.h"

#include <limits>
#include <utility>

#include "common/wide_format.h"

namespace {

constexpr size_t kHeaderLength = 8;
constexpr size_t kStructureHeaderLength = 4;
constexpr uint8_t kTypeBios = 0;
constexpr uint8_t kTypeSystem = 1;
constexpr uint8_t kTypeProcessor = 4;
constexpr uint8_t kTypeMemoryDevice = 17;
constexpr uint8_t kTypeEndOfTable = 127;

constexpr const wchar_t* kNoTable = L"no firmware table was returned";
constexpr const wchar_t* kShorterThanHeader = L"the firmware table is shorter than its own header";
constexpr const wchar_t* kDeclaresMore = L"the firmware table declares more data than it contains";
constexpr const wchar_t* kEmptyTable = L"the firmware table is empty";
constexpr const wchar_t* kHeaderTruncated = L"a firmware structure header is truncated";
constexpr const wchar_t* kImpossibleLength = L"a firmware structure declares an impossible length";
constexpr const wchar_t* kRunsPastEnd = L"a firmware structure runs past the end of the table";
constexpr const wchar_t* kNotTerminated = L"a firmware structure's text area is not terminated";
constexpr const wchar_t* kNoStructures = L"the firmware table holds no structures";

std::string_view bytesView(const uint8_t* from, size_t count)
{
    return std::string_view(reinterpret_cast<const char*>(from), count);
}

// Reads the string set that starts at `at`. On success `next` is where the
// following structure starts (never beyond `end`).
bool readStringSet(const uint8_t* table, size_t at, size_t end, std::vector<std::string_view>& strings, size_t& next)
{
    size_t s = at;
    if (s >= end) {
        return false;
    }
    for (;;) {
        // Here s < end always holds.
        if (table[s] == 0) {
            if (end - s < 2) {
                return false;
            }
            if (table[s + 1] == 0) {
                next = s + 2;
                return true;
            }
            // A lone zero: firmware wrote an empty string; keep its place.
            strings.emplace_back();
            ++s;
            continue;
        }
        size_t zero = s;
        while (zero < end && table[zero] != 0) {
            ++zero;
        }
        if (zero == end) {
            return false;
        }
        strings.push_back(bytesView(table + s, zero - s));
        const size_t after = zero + 1;
        if (after == end) {
            return false;
        }
        if (table[after] == 0) {
            next = after + 1;
            return true;
        }
        s = after;
    }
}

Reading stringField(const SmbiosStructure& structure, size_t offset, std::wstring_view what)
{
    return firmwareString(structure.stringList(), structure.stringNumberAt(offset), what);
}

Reading releaseDate(const SmbiosStructure& bios)
{
    constexpr std::wstring_view kWhat = L"the BIOS release date";
    std::wstring text;
    if (!smbiosString(bios.stringList(), bios.stringNumberAt(8), text)) {
        return readingNone(L"the firmware left " + std::wstring(kWhat) + L" unset");
    }
    Reading reading = firmwareText(text, kWhat);
    if (reading.state == ReadingState::Ok) {
        // A placeholder never reaches the date rewrite: it is None above.
        return readingOk(biosDateText(reading.value));
    }
    return reading;
}

// Adds the memory one type-17 structure reports. False when the structure
// makes the total unknowable.
bool addMemoryDevice(const SmbiosStructure& device, uint64_t& total)
{
    uint16_t size = 0;
    if (!device.wordAt(12, size)) {
        return false;
    }
    if (size == 0) {
        return true;  // an empty slot
    }
    if (size == 0xFFFF) {
        return false;  // the firmware does not know the size
    }
    uint64_t bytes = 0;
    if (size == 0x7FFF) {
        // Modules of 32 GB and more: the size moves to the extended field, in MB.
        uint32_t extended = 0;
        if (!device.dwordAt(28, extended)) {
            return false;
        }
        bytes = uint64_t{extended & 0x7FFFFFFFu} * 1048576u;
    } else if ((size & 0x8000u) != 0) {
        bytes = uint64_t{size & 0x7FFFu} * 1024u;  // bit 15 set: the size is in KB
    } else {
        bytes = uint64_t{size} * 1048576u;
    }
    if (bytes == 0 || bytes > std::numeric_limits<uint64_t>::max() - total) {
        return false;
    }
    total += bytes;
    return true;
}

uint32_t readLittleEndian(const uint8_t* at, size_t width)
{
    uint32_t value = 0;
    for (size_t i = width; i > 0; --i) {
        value = (value << 8) | at[i - 1];
    }
    return value;
}

}  // namespace

bool SmbiosStructure::byteAt(size_t offset, uint8_t& value) const
{
    if (formatted == nullptr || offset >= formattedLength) {
        return false;
    }
    value = formatted[offset];
    return true;
}

bool SmbiosStructure::wordAt(size_t offset, uint16_t& value) const
{
    if (formatted == nullptr || formattedLength < 2 || offset > formattedLength - 2) {
        return false;
    }
    value = static_cast<uint16_t>(readLittleEndian(formatted + offset, 2));
    return true;
}

bool SmbiosStructure::dwordAt(size_t offset, uint32_t& value) const
{
    if (formatted == nullptr || formattedLength < 4 || offset > formattedLength - 4) {
        return false;
    }
    value = readLittleEndian(formatted + offset, 4);
    return true;
}

uint32_t SmbiosStructure::stringNumberAt(size_t offset) const
{
    uint8_t number = 0;
    return byteAt(offset, number) ? number : 0;
}

bool walkSmbiosStructures(const uint8_t* table, size_t length, std::vector<SmbiosStructure>& structures,
                          std::wstring& reason)
{
    structures.clear();
    reason.clear();
    if (table == nullptr) {
        length = 0;
    }
    const size_t end = length;
    size_t cursor = 0;
    while (cursor < end) {
        if (end - cursor < kStructureHeaderLength) {
            reason = kHeaderTruncated;
            return false;
        }
        const size_t formattedLength = table[cursor + 1];
        if (formattedLength < kStructureHeaderLength) {
            reason = kImpossibleLength;
            return false;
        }
        if (formattedLength > end - cursor) {
            reason = kRunsPastEnd;
            return false;
        }
        SmbiosStructure structure;
        structure.type = table[cursor];
        structure.formatted = table + cursor;
        structure.formattedLength = formattedLength;
        size_t next = end;
        if (!readStringSet(table, cursor + formattedLength, end, structure.strings, next)) {
            reason = kNotTerminated;
            return false;
        }
        structures.push_back(std::move(structure));
        if (structures.back().type == kTypeEndOfTable) {
            break;  // whatever follows the end marker is not ours to read
        }
        cursor = next;
    }
    if (structures.empty()) {
        reason = kNoStructures;
        return false;
    }
    return true;
}

bool parseSmbios(const uint8_t* table, size_t length, FirmwareSummary& summary, std::wstring& reason)
{
    reason.clear();
    if (table == nullptr || length == 0) {
        reason = kNoTable;
        return false;
    }
    if (length < kHeaderLength) {
        reason = kShorterThanHeader;
        return false;
    }
    const uint32_t declared = readLittleEndian(table + 4, 4);
    if (declared > length - kHeaderLength) {
        reason = kDeclaresMore;
        return false;
    }
    if (declared == 0) {
        reason = kEmptyTable;
        return false;
    }

    std::vector<SmbiosStructure> structures;
    if (!walkSmbiosStructures(table + kHeaderLength, declared, structures, reason)) {
        return false;
    }

    FirmwareSummary result;
    const unsigned major = table[1];
    const unsigned minor = table[2];
    result.smbiosVersion = (major != 0 || minor != 0) ? readingOk(formatWide(L"%u.%u", major, minor))
                                                      : readingNone(L"the firmware states no SMBIOS version");

    bool haveBios = false;
    bool haveSystem = false;
    bool haveProcessor = false;
    bool memorySeen = false;
    bool memoryUsable = true;
    uint64_t memoryTotal = 0;
    for (const SmbiosStructure& structure : structures) {
        switch (structure.type) {
        case kTypeBios:
            if (!haveBios) {
                haveBios = true;
                result.biosVendor = stringField(structure, 4, L"the BIOS vendor");
                result.biosVersion = stringField(structure, 5, L"the BIOS version");
                result.biosReleaseDate = releaseDate(structure);
            }
            break;
        case kTypeSystem:
            if (!haveSystem) {
                haveSystem = true;
                result.systemManufacturer = stringField(structure, 4, L"the system manufacturer");
                result.systemModel = stringField(structure, 5, L"the system model");
            }
            break;
        case kTypeProcessor:
            if (!haveProcessor) {
                haveProcessor = true;
                result.processorSocket = stringField(structure, 4, L"the processor socket");
                result.processorManufacturer = stringField(structure, 7, L"the processor manufacturer");
                result.processorVersion = stringField(structure, 16, L"the processor version");
                // Offset 20 ("Max Speed") is what the board could drive the
                // socket at, often far from this processor; offset 22 is the
                // speed it actually started at.
                uint16_t startSpeed = 0;
                if (structure.wordAt(22, startSpeed) && startSpeed != 0) {
                    result.startSpeedMhz = startSpeed;
                    result.startSpeedKnown = true;
                }
            }
            break;
        case kTypeMemoryDevice:
            memorySeen = true;
            if (memoryUsable && !addMemoryDevice(structure, memoryTotal)) {
                memoryUsable = false;
            }
            break;
        default:
            break;
        }
    }
    if (memorySeen && memoryUsable && memoryTotal != 0) {
        result.installedMemoryBytes = memoryTotal;
        result.installedMemoryKnown = true;
    }
    if (!haveBios) {
        const Reading none = readingNone(L"the firmware table holds no BIOS record");
        result.biosVendor = none;
        result.biosVersion = none;
        result.biosReleaseDate = none;
    }
    if (!haveSystem) {
        const Reading none = readingNone(L"the firmware table holds no system record");
        result.systemManufacturer = none;
        result.systemModel = none;
    }
    if (!haveProcessor) {
        const Reading none = readingNone(L"the firmware table holds no processor record");
        result.processorSocket = none;
        result.processorManufacturer = none;
        result.processorVersion = none;
    }
    summary = std::move(result);
    return true;
}
