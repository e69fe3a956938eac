#pragma once

#include <algorithm>
#include <array>
#include <string_view>

// Every reason the firmware-table parser may give for a table it refuses,
// written out here apart from the parser so that a changed sentence shows.
inline constexpr std::array<std::wstring_view, 9> kSmbiosDamageSentences =
    {L"no firmware table was returned",
     L"the firmware table is shorter than its own header",
     L"the firmware table declares more data than it contains",
     L"the firmware table is empty",
     L"a firmware structure header is truncated",
     L"a firmware structure declares an impossible length",
     L"a firmware structure runs past the end of the table",
     L"a firmware structure's text area is not terminated",
     L"the firmware table holds no structures"};

inline bool isSmbiosDamageSentence(std::wstring_view reason)
{
    return std::find(kSmbiosDamageSentences.begin(), kSmbiosDamageSentences.end(), reason) !=
           kSmbiosDamageSentences.end();
}
