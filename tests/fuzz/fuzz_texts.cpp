// Fuzz target: the small pure rules, one per value of the first input byte
// (taken modulo 9): address texts against the C library, the firmware text and
// date rules, the graph mapping, temporary names, dialog error texts, and the
// size, frequency and percentage texts read back as numbers.

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <limits>
#include <string>
#include <vector>

#include "common/dpi_scale.h"
#include "export/export_texts.h"
#include "export/temporary_name.h"
#include "fuzz_support.h"
#include "load/graph_mapping.h"
#include "support/widen.h"

namespace {

// The address texts are ASCII; anything else becomes '?', which no parser takes.
std::string narrowed(std::wstring_view text)
{
    std::string out;
    for (const wchar_t c : text) {
        out += (c > 0 && c < 127) ? static_cast<char>(c) : '?';
    }
    return out;
}

void checkIpv4(FuzzedDataProvider& input)
{
    std::array<uint8_t, 4> bytes{};
    input.ConsumeData(bytes.data(), bytes.size());
    const std::wstring text = ipv4Text(bytes.data());
    char expected[INET_ADDRSTRLEN] = {};
    FUZZ_CHECK(inet_ntop(AF_INET, bytes.data(), expected, sizeof expected) != nullptr, "inet_ntop refused");
    FUZZ_CHECK(text == widen(expected), fuzz::shown(text) + " where inet_ntop gives " + expected);
    FUZZ_CHECK(ipv4Text(nullptr).empty(), "text for no address");
}

void checkIpv6(FuzzedDataProvider& input)
{
    // Zero groups are what the text compresses, so a mask byte makes them common.
    const auto zeroGroups = input.ConsumeIntegral<uint8_t>();
    std::array<uint8_t, 16> bytes{};
    for (size_t group = 0; group < 8; ++group) {
        if ((zeroGroups & (1u << group)) == 0) {
            input.ConsumeData(&bytes[2 * group], 2);
        }
    }
    const uint32_t scope = input.ConsumeBool() ? input.ConsumeIntegral<uint32_t>() : 0;
    const std::wstring bare = ipv6Text(bytes.data(), 0);
    const std::wstring text = ipv6Text(bytes.data(), scope);

    // Korvane appends "%" and the scope id in decimal; the C library's texts know no scope.
    const std::wstring suffix = scope != 0 ? L"%" + std::to_wstring(scope) : L"";
    FUZZ_CHECK(text == bare + suffix, fuzz::shown(text) + " for scope " + std::to_string(scope));

    std::array<uint8_t, 16> parsed{};
    FUZZ_CHECK(inet_pton(AF_INET6, narrowed(bare).c_str(), parsed.data()) == 1 && parsed == bytes,
               "inet_pton does not read " + fuzz::shown(bare) + " back");
    // Both follow RFC 5952 (longest zero run, the first of equal ones, never a
    // single group; lower case without leading zeros), except that the C library
    // writes a dotted IPv4 tail for ::a.b.c.d and ::ffff:a.b.c.d, which Korvane
    // has no form for. Where inet_ntop wrote no dot the texts must be equal.
    char expected[INET6_ADDRSTRLEN] = {};
    FUZZ_CHECK(inet_ntop(AF_INET6, bytes.data(), expected, sizeof expected) != nullptr, "inet_ntop refused");
    if (std::string_view(expected).find('.') == std::string_view::npos) {
        FUZZ_CHECK(bare == widen(expected), fuzz::shown(bare) + " where inet_ntop gives " + expected);
    }
    FUZZ_CHECK(ipv6Text(nullptr, scope).empty(), "text for no address");
}

// Blanks and tabs removed everywhere, then CR and LF removed at both ends:
// what trimming and collapsing must leave apart from single blanks.
std::wstring withoutBlanks(std::wstring_view text)
{
    std::wstring out;
    for (const wchar_t c : text) {
        if (c != L' ' && c != L'\t') {
            out += c;
        }
    }
    const size_t first = out.find_first_not_of(L"\r\n");
    if (first == std::wstring::npos) {
        return std::wstring();
    }
    return out.substr(first, out.find_last_not_of(L"\r\n") - first + 1);
}

void checkFirmwareText(const std::wstring& text, const Reading& reading)
{
    constexpr std::wstring_view kUnset = L"the firmware left the BIOS vendor unset";
    const std::wstring core = fuzz::asciiLower(withoutBlanks(text));
    if (reading.state == ReadingState::Ok) {
        const char* fault = fuzz::firmwareTextFault(reading.value);
        FUZZ_CHECK(fault == nullptr, fuzz::shown(reading.value) + " is " + (fault ? fault : ""));
        FUZZ_CHECK(withoutBlanks(reading.value) == withoutBlanks(text),
                   fuzz::shown(reading.value) + " is not what " + fuzz::shown(text) + " holds");
        return;
    }
    FUZZ_CHECK(reading.state == ReadingState::None && reading.reason == kUnset && reading.value.empty(),
               "state " + std::to_string(static_cast<int>(reading.state)) + ", reason " +
                   fuzz::shown(reading.reason) + " for " + fuzz::shown(text));
    // None only for an empty text or one that may clean to a placeholder.
    bool placeholder = false;
    for (const std::wstring_view word : firmwarePlaceholders()) {
        placeholder = placeholder || withoutBlanks(word) == core;
    }
    FUZZ_CHECK(core.empty() || placeholder, "None for " + fuzz::shown(text));
}

void checkFirmwareStrings(FuzzedDataProvider& input)
{
    std::vector<std::string> bytes;
    for (size_t n = input.ConsumeIntegralInRange<size_t>(0, 4); n > 0; --n) {
        bytes.push_back(input.ConsumeRandomLengthString(24));
    }
    const std::vector<std::string_view> strings(bytes.begin(), bytes.end());
    const uint32_t number =
        input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 5) : input.ConsumeIntegral<uint32_t>();
    std::wstring text = L"stale";
    const bool found = smbiosString(strings, number, text);
    FUZZ_CHECK(found == (number >= 1 && number <= strings.size()), "string " + std::to_string(number));
    const Reading reading = firmwareString(strings, number, L"the BIOS vendor");
    if (!found) {
        FUZZ_CHECK(text.empty() && reading == readingNone(L"the firmware left the BIOS vendor unset"),
                   "missing string " + std::to_string(number));
        return;
    }
    const std::string_view raw = strings[number - 1];
    FUZZ_CHECK(text.size() == raw.size(), fuzz::shown(text) + " from " + fuzz::shown(raw));
    for (size_t i = 0; i < raw.size(); ++i) {
        const auto byte = static_cast<unsigned char>(raw[i]);
        FUZZ_CHECK(text[i] == ((byte >= 32 && byte <= 126) ? static_cast<wchar_t>(byte) : L'?'),
                   fuzz::shown(text) + " from " + fuzz::shown(raw));
    }
    FUZZ_CHECK(reading == firmwareText(text, L"the BIOS vendor"), "firmwareString differs from firmwareText");
    checkFirmwareText(text, reading);
}

void checkBiosDate(FuzzedDataProvider& input)
{
    const std::wstring text = fuzz::text(input, 14, L"0123456789/ \t\r\n-");
    const std::wstring result = biosDateText(text);
    const size_t first = text.find_first_not_of(L" \t\r\n");
    const std::wstring trimmed = first == std::wstring::npos
                                     ? std::wstring()
                                     : text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);

    bool dated = trimmed.size() == 8 || trimmed.size() == 10;
    for (size_t i = 0; dated && i < trimmed.size(); ++i) {
        dated = (i == 2 || i == 5) ? trimmed[i] == L'/' : (trimmed[i] >= L'0' && trimmed[i] <= L'9');
    }
    if (dated) {
        const int month = std::stoi(trimmed.substr(0, 2));
        const int day = std::stoi(trimmed.substr(3, 2));
        dated = month >= 1 && month <= 12 && day >= 1 && day <= 31;
    }
    if (!dated) {
        FUZZ_CHECK(result == trimmed, fuzz::shown(result) + " from " + fuzz::shown(text));
        return;
    }
    // yyyy-mm-dd; a two-digit year gets a century in front of it.
    const std::wstring year = trimmed.substr(6);
    const std::wstring century = result.substr(0, 4 - year.size());
    FUZZ_CHECK(result.size() == 10 && result.substr(4 - year.size(), year.size()) == year &&
                   (year.size() == 4 || century == L"19" || century == L"20") &&
                   result.substr(4) == L"-" + trimmed.substr(0, 2) + L"-" + trimmed.substr(3, 2),
               fuzz::shown(result) + " from " + fuzz::shown(text));
}

double fuzzPercent(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return input.ConsumeFloatingPointInRange<double>(-10.0, 110.0);
    case 1:
        return input.ConsumeFloatingPoint<double>();
    case 2:
        return std::numeric_limits<double>::quiet_NaN();
    default:
        return input.ConsumeBool() ? INFINITY : -INFINITY;
    }
}

std::string boxText(PixelBox box)
{
    return "box (" + std::to_string(box.left) + ", " + std::to_string(box.top) + ", " + std::to_string(box.right) +
           ", " + std::to_string(box.bottom) + ")";
}

void checkGraph(FuzzedDataProvider& input)
{
    // Window coordinates and the DPIs Windows uses (100 % and up).
    PixelBox area;
    area.left = input.ConsumeIntegralInRange<int>(-32768, 32767);
    area.top = input.ConsumeIntegralInRange<int>(-32768, 32767);
    area.right = area.left + input.ConsumeIntegralInRange<int>(0, 32767);
    area.bottom = area.top + input.ConsumeIntegralInRange<int>(0, 32767);
    const int dpi = input.ConsumeIntegralInRange<int>(96, 1920);
    const bool hasValue = input.ConsumeBool();

    std::vector<GraphPoint> history;
    size_t validPoints = 0;
    for (size_t n = input.ConsumeIntegralInRange<size_t>(0, 200); n > 0; --n) {
        const bool valid = input.ConsumeBool();
        appendGraphPoint(history, GraphPoint{valid, fuzzPercent(input)});
    }
    FUZZ_CHECK(history.size() <= GRAPH_HISTORY_POINTS, std::to_string(history.size()) + " points kept");
    for (const GraphPoint& point : history) {
        validPoints += point.valid ? 1 : 0;
    }

    const GraphLayout layout = graphLayout(area, dpi, hasValue);
    if (!layout.hasPlotBox || !plotBoxUsable(layout.plotBox, dpi)) {
        return;
    }
    const PixelBox box = layout.plotBox;
    FUZZ_CHECK(hasValue && layout.hasPlotArea && box.left >= layout.plotArea.left &&
                   box.right <= layout.plotArea.right,
               boxText(box) + " outside the plot area");
    // Inside the frame: clear of all four of its lines.
    const auto inside = [&](int x, int y) {
        return x > box.left && x < box.right - 1 && y > box.top && y < box.bottom - 1;
    };
    for (int k = 1; k <= 3; ++k) {
        const int y = gridLineY(box, k);
        FUZZ_CHECK(inside(box.left + 1, y),
                   "grid line " + std::to_string(k) + " at " + std::to_string(y) + " outside " + boxText(box));
    }
    size_t mapped = 0;
    for (const auto& run : plotRuns(box, history)) {
        for (const PixelPoint pixel : run) {
            FUZZ_CHECK(inside(pixel.x, pixel.y), "point (" + std::to_string(pixel.x) + ", " +
                                                     std::to_string(pixel.y) + ") outside " + boxText(box) +
                                                     " at dpi " + std::to_string(dpi));
        }
        if (run.size() == 1) {
            const PixelBox dot = dotBox(box, run.front(), scaledAt(2, dpi));
            FUZZ_CHECK(inside(dot.left, dot.top) && inside(dot.right - 1, dot.bottom - 1) &&
                           dot.left <= run.front().x && run.front().x < dot.right && dot.top <= run.front().y &&
                           run.front().y < dot.bottom,
                       "the dot of (" + std::to_string(run.front().x) + ", " + std::to_string(run.front().y) +
                           ") is not inside " + boxText(box) + " over its point");
        }
        mapped += run.size();
    }
    FUZZ_CHECK(mapped == validPoints,
               std::to_string(mapped) + " of " + std::to_string(validPoints) + " points mapped");
}

void checkTemporaryName(FuzzedDataProvider& input)
{
    const std::wstring target = fuzz::text(input, 40, L"~KVkv0123456789ABCDEFabcdef.tmpTMP\\/ :");
    const unsigned number = input.ConsumeIntegral<unsigned>();  // taken as 16 bits, so any value is fair
    const std::wstring result = temporaryNameFor(target, number);

    char name[16];
    std::snprintf(name, sizeof name, "~KV%04X.tmp", number & 0xFFFFu);
    const size_t separator = target.find_last_of(L"\\/");
    const std::wstring directory = separator == std::wstring::npos ? L"" : target.substr(0, separator + 1);
    const std::wstring targetName = target.substr(directory.size());
    // The one promise that matters: the temporary file is never the target itself.
    const bool isTarget = fuzz::asciiLower(targetName) == fuzz::asciiLower(widen(name));
    FUZZ_CHECK(result == (isTarget ? L"" : directory + widen(name)),
               fuzz::shown(result) + " for " + fuzz::shown(target) + " and " + std::to_string(number));
}

void checkDialogError(FuzzedDataProvider& input)
{
    static constexpr uint32_t kKnownCodes[] = {0x3001, 0x3002, 0x3003, 0xFFFF, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const uint32_t code = input.ConsumeIntegral<uint32_t>();
    std::wstring text = L"stale";
    const bool reported = dialogErrorText(code, text);
    if (code == 0) {
        FUZZ_CHECK(!reported && text == L"stale", "a cancelled dialog gave " + fuzz::shown(text));
        return;
    }
    FUZZ_CHECK(reported, "no text for code " + std::to_string(code));
    const bool known = std::find(std::begin(kKnownCodes), std::end(kKnownCodes), code) != std::end(kKnownCodes);
    if (!known) {
        char expected[48];
        std::snprintf(expected, sizeof expected, "The dialog reported error 0x%04X.", code);
        FUZZ_CHECK(text == widen(expected), fuzz::shown(text) + " for code " + std::to_string(code));
        return;
    }
    // A sentence and the Windows name of the code.
    const size_t open = text.rfind(L" (");
    FUZZ_CHECK(open != std::wstring::npos && open > 0 && text.ends_with(L").") &&
                   (text.compare(open + 2, 6, L"CDERR_") == 0 || text.compare(open + 2, 6, L"FNERR_") == 0),
               fuzz::shown(text) + " for code " + std::to_string(code));
}

// A plain decimal number ("-" and digits, then "." and digits or nothing):
// its value and how many decimals it has.
bool readDecimal(std::wstring_view text, double& value, size_t& decimals)
{
    const size_t digitsFrom = !text.empty() && text.front() == L'-' ? 1 : 0;
    const size_t point = text.find(L'.');
    const size_t whole = (point == std::wstring_view::npos ? text.size() : point) - digitsFrom;
    decimals = point == std::wstring_view::npos ? 0 : text.size() - point - 1;
    if (whole == 0 || (point != std::wstring_view::npos && decimals == 0)) {
        return false;
    }
    for (size_t i = digitsFrom; i < text.size(); ++i) {
        if (i != point && (text[i] < L'0' || text[i] > L'9')) {
            return false;
        }
    }
    value = std::wcstod(std::wstring(text).c_str(), nullptr);
    return true;
}

// `text` is `expected` with `decimals` decimals, then `unit`: the number
// read back lies within half of its last decimal place of `expected`.
bool showsNumber(std::wstring_view text, double expected, size_t decimals, std::wstring_view unit)
{
    if (!text.ends_with(unit)) {
        return false;
    }
    double value = 0;
    size_t shown = 0;
    return readDecimal(text.substr(0, text.size() - unit.size()), value, shown) && shown == decimals &&
           std::fabs(value - expected) <=
               0.5 * std::pow(10.0, -static_cast<double>(decimals)) + std::fabs(expected) * 1e-15;
}

// A 64-bit count: any, or one next to a power of 1024, where the units change.
uint64_t fuzzCount(FuzzedDataProvider& input)
{
    if (input.ConsumeBool()) {
        return input.ConsumeIntegral<uint64_t>() >> input.ConsumeIntegralInRange<unsigned>(0, 63);
    }
    const uint64_t power = uint64_t{1} << (10 * input.ConsumeIntegralInRange<unsigned>(1, 6));
    return power + static_cast<uint64_t>(input.ConsumeIntegralInRange<int64_t>(-2, 2));
}

void checkValueTexts(FuzzedDataProvider& input)
{
    // Sizes: binary units chosen on the exact count, two decimals for KB, TB
    // and PB, one for MB and GB.
    const uint64_t bytes = fuzzCount(input);
    const std::wstring size = byteSizeText(bytes);
    static constexpr struct {
        const wchar_t* unit;
        size_t decimals;
    } kUnits[] = {{L" KB", 2}, {L" MB", 1}, {L" GB", 1}, {L" TB", 2}, {L" PB", 2}};
    size_t step = 0;
    while (step < std::size(kUnits) && bytes >> (10 * (step + 1)) != 0) {
        ++step;
    }
    if (step == 0) {
        FUZZ_CHECK(size == std::to_wstring(bytes) + (bytes == 1 ? L" byte" : L" bytes"),
                   fuzz::shown(size) + " for " + std::to_string(bytes) + " bytes");
    } else {
        const double scaled = static_cast<double>(bytes) / std::ldexp(1.0, static_cast<int>(10 * step));
        FUZZ_CHECK(showsNumber(size, scaled, kUnits[step - 1].decimals, kUnits[step - 1].unit),
                   fuzz::shown(size) + " for " + std::to_string(bytes) + " bytes");
    }
    FUZZ_CHECK(countText(bytes) == std::to_wstring(bytes), fuzz::shown(countText(bytes)));

    // Frequencies: MHz below 1000, GHz with two decimals from there on.
    const uint32_t megahertz =
        input.ConsumeBool() ? input.ConsumeIntegral<uint32_t>() >> input.ConsumeIntegralInRange<unsigned>(0, 31)
                            : input.ConsumeIntegralInRange<uint32_t>(998, 1002);
    const std::wstring frequency = frequencyText(megahertz);
    FUZZ_CHECK(megahertz == 0     ? frequency.empty()
               : megahertz < 1000 ? frequency == std::to_wstring(megahertz) + L" MHz"
                                  : showsNumber(frequency, megahertz / 1000.0, 2, L" GHz"),
               fuzz::shown(frequency) + " for " + std::to_string(megahertz) + " MHz");

    // Percentages: at most six decimals.
    const double percent = input.ConsumeBool() ? input.ConsumeFloatingPointInRange<double>(0.0, 100.0)
                                               : input.ConsumeFloatingPointInRange<double>(-1e9, 1e9);
    const unsigned decimals = input.ConsumeIntegralInRange<unsigned>(0, 9);
    const std::wstring percentage = percentText(percent, decimals);
    FUZZ_CHECK(showsNumber(percentage, percent, std::min(decimals, 6u), L"%"),
               fuzz::shown(percentage) + " for " + std::to_string(percent) + " with " + std::to_string(decimals) +
                   " decimals");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    FuzzedDataProvider input(data + 1, size - 1);
    switch (data[0] % 9) {
    case 0:
        checkIpv4(input);
        break;
    case 1:
        checkIpv6(input);
        break;
    case 2: {
        const std::wstring text = fuzz::text(input, 40);
        checkFirmwareText(text, firmwareText(text, L"the BIOS vendor"));
        break;
    }
    case 3:
        checkFirmwareStrings(input);
        break;
    case 4:
        checkBiosDate(input);
        break;
    case 5:
        checkGraph(input);
        break;
    case 6:
        checkTemporaryName(input);
        break;
    case 7:
        checkDialogError(input);
        break;
    default:
        checkValueTexts(input);
        break;
    }
    return 0;
}
