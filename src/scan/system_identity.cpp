#include "scan/system_identity.h"

#include <utility>

#include "common/wide_format.h"
#include "common/windows_failure.h"

namespace {

constexpr uint32_t kErrorFileNotFound = 2;

// IMAGE_FILE_MACHINE_* values.
constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;

}  // namespace

std::wstring durationText(uint64_t milliseconds)
{
    const unsigned long long s = milliseconds / 1000;
    const unsigned long long days = s / 86400;
    const unsigned long long hours = (s % 86400) / 3600;
    const unsigned long long minutes = (s % 3600) / 60;
    const unsigned long long seconds = s % 60;
    if (days >= 1) {
        return formatWide(L"%llu %ls, %llu:%02llu:%02llu", days, days == 1 ? L"day" : L"days", hours, minutes,
                          seconds);
    }
    if (hours >= 1) {
        return formatWide(L"%llu:%02llu:%02llu", hours, minutes, seconds);
    }
    return formatWide(L"%llu:%02llu", minutes, seconds);
}

Reading currentVersionReading(bool read, const std::wstring& text, uint32_t code, std::wstring_view what)
{
    if (read && !text.empty()) {
        return readingOk(text);
    }
    if (read || code == kErrorFileNotFound) {
        return readingNone(L"Windows records no " + std::wstring(what));
    }
    return readingFailed(L"reading " + std::wstring(what) + L": " + windowsFailureText(code));
}

std::wstring windowsVersionText(uint32_t major, uint32_t minor, uint32_t build, bool haveUbr, uint32_t ubr)
{
    if (haveUbr) {
        return formatWide(L"%u.%u.%u.%u", major, minor, build, ubr);
    }
    return formatWide(L"%u.%u.%u", major, minor, build);
}

Reading windowsProductReading(Reading productName, uint32_t major, uint32_t build)
{
    static constexpr std::wstring_view kTen = L"Windows 10";
    if (productName.state != ReadingState::Ok || major != 10 || build <= 21999 || productName.value.size() <= 9) {
        return productName;
    }
    const size_t at = productName.value.find(kTen);
    if (at != std::wstring::npos) {
        productName.value.replace(at, kTen.size(), L"Windows 11");
    }
    return productName;
}

Reading architectureReading(uint16_t nativeMachine, uint16_t processorArchitecture)
{
    switch (nativeMachine) {
    case kMachineArm64:
        return readingOk(L"ARM64");
    case kMachineAmd64:
        return readingOk(L"x64");
    case kMachineI386:
        return readingOk(L"x86");
    default:
        break;
    }
    switch (processorArchitecture) {
    case 0:
        return readingOk(L"x86");
    case 5:
        return readingOk(L"ARM");
    case 6:
        return readingOk(L"Itanium");
    case 9:
        return readingOk(L"x64");
    case 12:
        return readingOk(L"ARM64");
    default:
        return readingNone(L"Windows reports an architecture this program does not have a name for");
    }
}

Reading dnsNameReading(const std::wstring& name, int nameFormat)
{
    if (!name.empty()) {
        return readingOk(name);
    }
    return readingNone(nameFormat == 1 ? L"this machine has no DNS host name"
                                       : L"this machine has no DNS domain; it is not joined to one");
}
