#include "report/reading.h"

#include <ostream>
#include <string_view>

namespace {

// Quoted; printable ASCII as it is, every other UTF-16 unit (and a quote or
// backslash) escaped, so that what is invisible or unprintable on a console
// still shows exactly.
void putQuoted(std::ostream& out, std::wstring_view text)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out << '"';
    for (const wchar_t character : text) {
        const uint32_t unit = static_cast<uint32_t>(character) & 0xFFFF;
        if (unit == '"' || unit == '\\') {
            out << '\\' << static_cast<char>(unit);
        } else if (unit >= 0x20 && unit < 0x7F) {
            out << static_cast<char>(unit);
        } else {
            out << "\\u" << kDigits[unit >> 12] << kDigits[(unit >> 8) & 0xF] << kDigits[(unit >> 4) & 0xF]
                << kDigits[unit & 0xF];
        }
    }
    out << '"';
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Reading& reading)
{
    const std::wstring_view word = stateWord(reading.state);
    out << '{';
    for (const wchar_t character : word) {
        out << static_cast<char>(character);  // the state words are ASCII
    }
    if (word == L"unknown") {
        out << ' ' << static_cast<int32_t>(reading.state);
    }
    out << ", value ";
    putQuoted(out, reading.value);
    out << ", reason ";
    putQuoted(out, reading.reason);
    return out << '}';
}
