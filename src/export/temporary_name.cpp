#include "export/temporary_name.h"

#include <cstdint>

namespace {

// Only a to z: the name to compare with is plain ASCII, and folding anything
// else (a Kelvin sign, or '^' into '~' by a bit trick) would skip a name
// Windows would treat as different.
wchar_t asciiUpper(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool equalIgnoringAsciiCase(std::wstring_view left, std::wstring_view right)
{
    if (left.size() != right.size()) {
        return false;
    }
    for (size_t i = 0; i < left.size(); ++i) {
        if (asciiUpper(left[i]) != asciiUpper(right[i])) {
            return false;
        }
    }
    return true;
}

std::wstring temporaryFileName(unsigned number)
{
    static constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
    const auto value = static_cast<uint16_t>(number);
    std::wstring name = L"~KV";
    for (int shift = 12; shift >= 0; shift -= 4) {
        name += kHexDigits[(value >> shift) & 0xF];
    }
    name += L".tmp";
    return name;
}

}  // namespace

std::wstring temporaryNameFor(std::wstring_view target, unsigned number)
{
    const size_t separator = target.find_last_of(L"\\/");
    const size_t nameStart = separator == std::wstring_view::npos ? 0 : separator + 1;
    const std::wstring name = temporaryFileName(number);
    if (equalIgnoringAsciiCase(target.substr(nameStart), name)) {
        return std::wstring();
    }
    std::wstring candidate(target.substr(0, nameStart));
    candidate += name;
    return candidate;
}
