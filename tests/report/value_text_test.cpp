#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "report/value_text.h"
#include "support/live_samples.h"

namespace {

constexpr uint64_t kTiB = uint64_t{1} << 40;
constexpr uint64_t kPiB = uint64_t{1} << 50;

using TextCase = std::pair<std::wstring, std::wstring>;

}  // namespace

TEST(ValueText, ByteSizeChoosesTheUnitBeforeRounding)
{
    const std::pair<uint64_t, std::wstring> cases[] = {{0, L"0 bytes"},
                                                       {1, L"1 byte"},
                                                       {2, L"2 bytes"},
                                                       {1023, L"1023 bytes"},
                                                       {1024, L"1.00 KB"},
                                                       {1100, L"1.07 KB"},
                                                       {1536, L"1.50 KB"},
                                                       {1048575, L"1024.00 KB"},
                                                       {1048576, L"1.0 MB"},
                                                       {1500000, L"1.4 MB"},
                                                       {kGiB - 1, L"1024.0 MB"},
                                                       {kGiB, L"1.0 GB"},
                                                       {13207024435ull, L"12.3 GB"},
                                                       {255013683200ull, L"237.5 GB"},
                                                       {kTiB - 1, L"1024.0 GB"},
                                                       {kTiB, L"1.00 TB"},
                                                       {kTiB + kTiB / 4, L"1.25 TB"},
                                                       {kPiB - 1, L"1024.00 TB"},
                                                       {kPiB, L"1.00 PB"},
                                                       {3 * kPiB, L"3.00 PB"},
                                                       {std::numeric_limits<uint64_t>::max(), L"16384.00 PB"}};
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(byteSizeText(bytes), text) << bytes << " bytes";
    }
}

TEST(ValueText, FrequencyPercentAndCount)
{
    const std::pair<uint32_t, std::wstring> frequencies[] = {{0, L""},
                                                             {1, L"1 MHz"},
                                                             {999, L"999 MHz"},
                                                             {1000, L"1.00 GHz"},
                                                             {1001, L"1.00 GHz"},
                                                             {2195, L"2.19 GHz"},
                                                             {3600, L"3.60 GHz"},
                                                             {4999, L"5.00 GHz"}};
    for (const auto& [megahertz, text] : frequencies) {
        EXPECT_EQ(frequencyText(megahertz), text) << megahertz << " MHz";
    }

    struct PercentCase {
        double value;
        unsigned decimals;
        std::wstring text;
    };
    const PercentCase percents[] =
        {{12.34, 1, L"12.3%"},
         {0.0, 1, L"0.0%"},
         {99.96, 1, L"100.0%"},
         {37.0, 0, L"37%"},
         {100.0, 0, L"100%"},
         // Rounding works on the exact binary value: each of these lies just below the half.
         {2.195, 2, L"2.19%"},
         {2.675, 2, L"2.67%"},
         {1.005, 2, L"1.00%"},
         // More than six decimals are never written.
         {1.0 / 3.0, 6, L"0.333333%"},
         {1.0 / 3.0, 7, L"0.333333%"},
         {1.0 / 3.0, 4000000000u, L"0.333333%"}};
    for (const PercentCase& c : percents) {
        EXPECT_EQ(percentText(c.value, c.decimals), c.text) << c.value << " with " << c.decimals << " decimals";
    }
    EXPECT_EQ(countText(1000000), L"1000000") << "no digit grouping";
    EXPECT_EQ(countText(std::numeric_limits<uint64_t>::max()), L"18446744073709551615");
}

TEST(ValueText, IpAddresses)
{
    const uint8_t lan[4] = {192, 168, 1, 20};
    const uint8_t broadcast[4] = {255, 255, 255, 255};
    EXPECT_EQ(ipv4Text(lan), L"192.168.1.20");
    EXPECT_EQ(ipv4Text(broadcast), L"255.255.255.255");
    EXPECT_EQ(ipv4Text(nullptr), L"");

    struct Case {
        std::array<uint16_t, 8> groups;
        uint32_t scope;
        std::wstring text;
    };
    const Case cases[] = {{{0x2001, 0xdb8, 0, 0, 1, 0, 0, 1}, 0, L"2001:db8::1:0:0:1"},  // equal runs: the first wins
                          {{0, 0, 1, 2, 3, 4, 0, 0}, 0, L"::1:2:3:4:0:0"},
                          {{1, 0, 0, 2, 0, 0, 0, 3}, 0, L"1:0:0:2::3"},  // a later, strictly longer run wins
                          {{0, 0, 1, 0, 0, 0, 0, 2}, 0, L"0:0:1::2"},
                          {{1, 0, 2, 3, 4, 5, 6, 7}, 0, L"1:0:2:3:4:5:6:7"},  // a single zero group stays
                          {{1, 0, 2, 0, 3, 0, 4, 0}, 0, L"1:0:2:0:3:0:4:0"},
                          {{1, 0, 0, 0, 0, 0, 0, 0}, 0, L"1::"},
                          {{0, 0, 0, 0, 0, 0, 0, 0}, 0, L"::"},
                          {{0, 0, 0, 0, 0, 0, 0, 1}, 0, L"::1"},
                          {{0xfe80, 0, 0, 0, 0, 0, 0, 1}, 12, L"fe80::1%12"},
                          {{0xABCD, 0x00F0, 0, 0x0001, 0xFFFF, 0x0A00, 0, 0}, 0, L"abcd:f0:0:1:ffff:a00::"},
                          {{0, 0, 0, 0, 0, 0xffff, 0xc0a8, 0x0114}, 0, L"::ffff:c0a8:114"},  // no IPv4-mapped form
                          {{1, 2, 3, 4, 5, 6, 7, 8}, 4294967295u, L"1:2:3:4:5:6:7:8%4294967295"}};
    for (const Case& c : cases) {
        std::array<uint8_t, 16> bytes{};
        for (size_t i = 0; i < c.groups.size(); ++i) {
            bytes[2 * i] = static_cast<uint8_t>(c.groups[i] >> 8);
            bytes[2 * i + 1] = static_cast<uint8_t>(c.groups[i] & 0xFF);
        }
        EXPECT_EQ(ipv6Text(bytes.data(), c.scope), c.text);
    }
    EXPECT_EQ(ipv6Text(nullptr, 12), L"") << "no scope without an address";
}

TEST(ValueText, TrimAndCollapseTouchOnlyBlanksTabsAndLineEnds)
{
    const TextCase trims[] = {
        {L" \t\r\n", L""},
        {L"  \t\r\nDell Inc. \r\n\t ", L"Dell Inc."},
        {L"a \t\r\n b", L"a \t\r\n b"},
        {L"\fx\v", L"\fx\v"},  // only blank, tab, CR and LF are trimmed
    };
    for (const auto& [in, out] : trims) {
        EXPECT_EQ(trimText(in), out) << "trimText(\"" << in << "\")";
    }
    const TextCase collapses[] = {{L"Dell  \tInc.", L"Dell Inc."},
                                  {L"\t\t", L" "},
                                  {L" a  b ", L" a b "},
                                  {L"a \r\n\r\n b", L"a \r\n\r\n b"}};
    for (const auto& [in, out] : collapses) {
        EXPECT_EQ(collapseBlanks(in), out) << "collapseBlanks(\"" << in << "\")";
    }
}

TEST(ValueText, FirmwareTextTurnsPlaceholdersAndBlanksIntoNone)
{
    for (std::wstring_view placeholder : firmwarePlaceholders()) {
        // The placeholder as written, shouted, and padded with doubled blanks and tabs.
        std::wstring shouted(placeholder);
        std::wstring padded = L" \t";
        for (wchar_t& c : shouted) {
            c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
            padded += c == L' ' ? std::wstring(L" \t ") : std::wstring(1, c);
        }
        padded += L"\r\n";
        for (const std::wstring& text : {std::wstring(placeholder), shouted, padded}) {
            EXPECT_EQ(firmwareText(text, L"the BIOS vendor"), readingNone(L"the firmware left the BIOS vendor unset"))
                << "\"" << text << "\"";
        }
    }

    const TextCase kept[] = {
        {L"  LENOVO \t ThinkPad  ", L"LENOVO ThinkPad"},  // letter case is the firmware's
        {L"Dell  \tInc.", L"Dell Inc."},
        {L"To Be Filled By O.E.M", L"To Be Filled By O.E.M"},  // not the whole placeholder
        {L"oem1", L"oem1"},
        {L"n / a", L"n / a"},
        {L"--", L"--"},
        {L"0.00", L"0.00"},
        {L"Not\r\nSpecified", L"Not\r\nSpecified"},  // a line break is not a blank
    };
    for (const auto& [in, out] : kept) {
        EXPECT_EQ(firmwareText(in, L"the BIOS vendor"), readingOk(out)) << "\"" << in << "\"";
    }
    for (const wchar_t* blank : {L"", L"   ", L" \t \r\n"}) {
        EXPECT_EQ(firmwareText(blank, L"the system model"), readingNone(L"the firmware left the system model unset"))
            << "\"" << blank << "\"";
    }
}

TEST(ValueText, SmbiosStringsAreNumberedFromOneAndPrintableOnly)
{
    using namespace std::string_view_literals;
    const std::string_view raw[] = {"Dell Inc."sv,
                                    ""sv,
                                    "A\xA9"
                                    "B"sv,
                                    "\x1F\x20\x7E\x7F\x80\xFF"sv,
                                    "a\0b"sv,
                                    "  To Be Filled By O.E.M.  "sv};
    const SmbiosStrings strings(raw);
    const std::tuple<uint32_t, bool, std::wstring> cases[] = {{0, false, L""},      {1, true, L"Dell Inc."},
                                                              {2, true, L""},       {3, true, L"A?B"},
                                                              {4, true, L"? ~???"}, {5, true, L"a?b"},
                                                              {7, false, L""},      {4294967295u, false, L""}};
    for (const auto& [number, found, text] : cases) {
        std::wstring got;
        EXPECT_EQ(smbiosString(strings, number, got), found) << "string " << number;
        if (found) {
            EXPECT_EQ(got, text) << "string " << number;
        }
    }

    // Missing, empty and placeholder strings are all "unset"; others keep their repaired text.
    const Reading unset = readingNone(L"the firmware left the system model unset");
    const std::pair<uint32_t, Reading> readings[] =
        {{0, unset}, {7, unset}, {2, unset}, {6, unset}, {1, readingOk(L"Dell Inc.")}, {3, readingOk(L"A?B")}};
    for (const auto& [number, reading] : readings) {
        EXPECT_EQ(firmwareString(strings, number, L"the system model"), reading) << "string " << number;
    }
}

TEST(ValueText, BiosDateBecomesIsoOnlyForAValidSlashedDate)
{
    const TextCase cases[] = {{L"06/14/2021", L"2021-06-14"},
                              {L"06/14/21", L"2021-06-14"},
                              // Two-digit years: 00..79 are this century, 80..99 the last one.
                              {L"12/31/99", L"1999-12-31"},
                              {L"01/01/80", L"1980-01-01"},
                              {L"01/01/79", L"2079-01-01"},
                              {L"01/01/00", L"2000-01-01"},
                              {L"02/31/2020", L"2020-02-31"},  // the day is not checked against the month
                              {L"12/01/2020", L"2020-12-01"},
                              {L"01/31/0000", L"0000-01-31"},
                              {L"  06/14/2021 \t\r\n", L"2021-06-14"},
                              {L"\t06/14/21 ", L"2021-06-14"},
                              {L"13/01/2020", L"13/01/2020"},
                              {L"00/10/2020", L"00/10/2020"},
                              {L"06/00/2020", L"06/00/2020"},
                              {L"06/32/2020", L"06/32/2020"},
                              {L"2020-01-13", L"2020-01-13"},
                              {L"06-14-2021", L"06-14-2021"},
                              {L"6/14/2021", L"6/14/2021"},
                              {L"06/14/202", L"06/14/202"},
                              {L"06/14/20211", L"06/14/20211"},
                              {L"06/14/2", L"06/14/2"},
                              {L"06/1a/2021", L"06/1a/2021"},
                              {L"06/14/20x1", L"06/14/20x1"},
                              {L" 06/14/2021x ", L"06/14/2021x"},  // unchanged apart from the trim
                              {L"", L""}};
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(biosDateText(in), out) << "biosDateText(\"" << in << "\")";
    }
}

TEST(ValueText, LiveTexts)
{
    LoadSample load;
    EXPECT_EQ(loadText(load), L"(not measured)") << "never derived";
    load.reason = L"the counters did not move";
    EXPECT_EQ(loadText(load), L"(not measured: the counters did not move)");
    load.measured = true;
    load.percent = 12.34;
    EXPECT_EQ(loadText(load), L"12.3%") << "a measured load ignores a stray reason";
    load.percent = 100.0;
    EXPECT_EQ(loadText(load), L"100.0%");

    MemorySample unread;
    EXPECT_EQ(memoryFailureText(unread), L"(could not read: reason unknown)");
    unread.reason = L"Access is denied.";
    EXPECT_EQ(memoryFailureText(unread), L"(could not read: Access is denied.)");

    const MemorySample memory = typicalMemory();
    LoadSample measured;
    measured.measured = true;
    measured.percent = 7.06;

    const std::wstring failed = L"(could not read: Access is denied.)";
    const std::tuple<uint32_t, std::wstring, std::wstring> cases[] =
        {{0, L"(not a live reading)", L"(not a live reading)"},
         {1, L"7.1%", L"7.1%"},  // the load does not depend on the memory sample
         {2, L"16.0 GB", failed},
         {3, L"10.0 GB", failed},
         {4, L"6.0 GB", failed},
         {5, L"62%", failed},
         {6, L"20.0 GB", failed},
         {7, L"9.5 GB", failed}};
    for (const auto& [kind, whenRead, whenUnread] : cases) {
        const auto live = static_cast<LiveKind>(kind);
        EXPECT_EQ(liveValueText(live, memory, measured), whenRead) << "kind " << kind << ", memory read";
        EXPECT_EQ(liveValueText(live, unread, measured), whenUnread) << "kind " << kind << ", memory unread";
    }
    EXPECT_EQ(liveValueText(LiveKind::ProcessorLoad, memory, LoadSample{}), L"(not measured)");
}
