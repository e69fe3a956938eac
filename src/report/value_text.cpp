#include "report/value_text.h"

#include <algorithm>
#include <array>

#include "common/wide_format.h"

namespace {

bool isTrimmed(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool isDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

int twoDigits(std::wstring_view text, size_t at)
{
    return (text[at] - L'0') * 10 + (text[at + 1] - L'0');
}

std::wstring unsetReason(std::wstring_view what)
{
    return L"the firmware left " + std::wstring(what) + L" unset";
}

constexpr std::array<std::wstring_view, 22> kFirmwarePlaceholders = {
    L"to be filled by o.e.m.",
    L"to be filled by oem",
    L"default string",
    L"system manufacturer",
    L"system product name",
    L"system version",
    L"not specified",
    L"not available",
    L"unknown",
    L"none",
    L"n/a",
    L"na",
    L"null",
    L"empty",
    L"filled by oem",
    L"oem",
    L"chassis manufacture",
    L"no enclosure",
    L"x.x",
    L"0.0",
    L"-",
    L".",
};

}  // namespace

std::wstring fixedText(double value, unsigned decimals)
{
    return formatWide(L"%.*f", static_cast<int>(decimals), value);
}

std::wstring byteSizeText(uint64_t bytes)
{
    struct Scale {
        int shift;
        const wchar_t* unit;
        unsigned decimals;
    };
    // Largest first: the first scale the count reaches wins.
    static constexpr Scale kScales[] = {
        {50, L" PB", 2}, {40, L" TB", 2}, {30, L" GB", 1}, {20, L" MB", 1}, {10, L" KB", 2},
    };
    for (const Scale& scale : kScales) {
        if (bytes >= (uint64_t{1} << scale.shift)) {
            const double scaled = static_cast<double>(bytes) / static_cast<double>(uint64_t{1} << scale.shift);
            return fixedText(scaled, scale.decimals) + scale.unit;
        }
    }
    return countText(bytes) + (bytes == 1 ? L" byte" : L" bytes");
}

std::wstring frequencyText(uint32_t megahertz)
{
    if (megahertz == 0) {
        return std::wstring();
    }
    if (megahertz < 1000) {
        return countText(megahertz) + L" MHz";
    }
    return fixedText(megahertz / 1000.0, 2) + L" GHz";
}

std::wstring percentText(double value, unsigned decimals)
{
    return fixedText(value, std::min(decimals, 6u)) + L"%";
}

std::wstring countText(uint64_t count)
{
    return formatWide(L"%llu", static_cast<unsigned long long>(count));
}

std::wstring ipv4Text(const uint8_t* bytes)
{
    if (bytes == nullptr) {
        return std::wstring();
    }
    return formatWide(L"%u.%u.%u.%u", unsigned{bytes[0]}, unsigned{bytes[1]}, unsigned{bytes[2]}, unsigned{bytes[3]});
}

std::wstring ipv6Text(const uint8_t* bytes, uint32_t scopeId)
{
    if (bytes == nullptr) {
        return std::wstring();
    }
    std::array<unsigned, 8> groups{};
    for (size_t i = 0; i < groups.size(); ++i) {
        groups[i] = (unsigned{bytes[2 * i]} << 8) | bytes[2 * i + 1];
    }

    // Longest run of zero groups; the leftmost wins a tie; runs of one stay.
    size_t bestStart = groups.size();
    size_t bestLength = 0;
    for (size_t i = 0; i < groups.size();) {
        if (groups[i] != 0) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < groups.size() && groups[end] == 0) {
            ++end;
        }
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end;
    }
    if (bestLength < 2) {
        bestStart = groups.size();
    }

    std::wstring text;
    for (size_t i = 0; i < groups.size();) {
        if (i == bestStart) {
            text += L"::";
            i += bestLength;
            continue;
        }
        if (!text.empty() && text.back() != L':') {
            text += L':';
        }
        text += formatWide(L"%x", groups[i]);
        ++i;
    }
    if (scopeId != 0) {
        text += L'%' + countText(scopeId);
    }
    return text;
}

std::wstring trimText(std::wstring_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isTrimmed(text[first])) {
        ++first;
    }
    while (last > first && isTrimmed(text[last - 1])) {
        --last;
    }
    return std::wstring(text.substr(first, last - first));
}

std::wstring collapseBlanks(std::wstring_view text)
{
    std::wstring result;
    result.reserve(text.size());
    bool inRun = false;
    for (wchar_t c : text) {
        if (c == L' ' || c == L'\t') {
            if (!inRun) {
                result += L' ';
            }
            inRun = true;
        } else {
            result += c;
            inRun = false;
        }
    }
    return result;
}

std::span<const std::wstring_view> firmwarePlaceholders()
{
    return kFirmwarePlaceholders;
}

bool smbiosString(SmbiosStrings strings, uint32_t number, std::wstring& text)
{
    text.clear();
    if (number == 0 || number > strings.size()) {
        return false;
    }
    const std::string_view bytes = strings[number - 1];
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += (byte >= 32 && byte <= 126) ? static_cast<wchar_t>(byte) : L'?';
    }
    return true;
}

Reading firmwareText(std::wstring_view text, std::wstring_view what)
{
    std::wstring cleaned = collapseBlanks(trimText(text));
    std::wstring lower = cleaned;
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    const bool placeholder =
        std::find(kFirmwarePlaceholders.begin(), kFirmwarePlaceholders.end(), lower) != kFirmwarePlaceholders.end();
    if (lower.empty() || placeholder) {
        return readingNone(unsetReason(what));
    }
    return readingOk(std::move(cleaned));
}

Reading firmwareString(SmbiosStrings strings, uint32_t number, std::wstring_view what)
{
    std::wstring text;
    if (!smbiosString(strings, number, text)) {
        return readingNone(unsetReason(what));
    }
    return firmwareText(text, what);
}

std::wstring biosDateText(std::wstring_view text)
{
    std::wstring t = trimText(text);
    if (t.size() != 8 && t.size() != 10) {
        return t;
    }
    for (size_t i = 0; i < t.size(); ++i) {
        const bool slotIsSlash = (i == 2 || i == 5);
        if (slotIsSlash ? t[i] != L'/' : !isDigit(t[i])) {
            return t;
        }
    }
    const int month = twoDigits(t, 0);
    const int day = twoDigits(t, 3);
    if (month < 1 || month > 12 || day < 1 || day > 31) {
        return t;
    }
    std::wstring year = t.substr(6);
    if (year.size() == 2) {
        // Two-digit years: 80..99 are the 1900s (the old BIOS habit), 00..79
        // the 2000s, so a 1999 firmware is never dated in the future.
        year.insert(0, twoDigits(year, 0) >= 80 ? L"19" : L"20");
    }
    return year + L"-" + t.substr(0, 2) + L"-" + t.substr(3, 2);
}

std::wstring loadText(const LoadSample& load)
{
    if (load.measured) {
        return percentText(load.percent, 1);
    }
    if (load.reason.empty()) {
        return L"(not measured)";
    }
    return L"(not measured: " + load.reason + L")";
}

std::wstring memoryFailureText(const MemorySample& memory)
{
    return readingText(readingFailed(memory.reason.empty() ? std::wstring(L"reason unknown") : memory.reason));
}

std::wstring liveValueText(LiveKind kind, const MemorySample& memory, const LoadSample& load)
{
    if (kind == LiveKind::ProcessorLoad) {
        return loadText(load);
    }
    if (kind == LiveKind::NotLive || static_cast<uint32_t>(kind) > kLiveRowCount) {
        return L"(not a live reading)";
    }
    if (!memory.read) {
        return memoryFailureText(memory);
    }
    switch (kind) {
    case LiveKind::MemoryTotal:
        return byteSizeText(memory.totalPhysical);
    case LiveKind::MemoryInUse:
        return byteSizeText(memory.inUse);
    case LiveKind::MemoryFree:
        return byteSizeText(memory.availablePhysical);
    case LiveKind::MemoryLoad:
        return percentText(memory.loadPercent, 0);
    case LiveKind::CommitTotal:
        return byteSizeText(memory.commitTotal);
    default:
        return byteSizeText(memory.commitAvailable);
    }
}

std::wstring timestampText(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                           unsigned second)
{
    return formatWide(L"%04u-%02u-%02u %02u:%02u:%02u", year, month, day, hour, minute, second);
}
