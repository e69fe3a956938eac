#include "common/wide_format.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

std::wstring formatWide(const wchar_t* format, ...)
{
    // Most texts are short; grow only for the rare long one.
    std::vector<wchar_t> buffer(128);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int written = std::vswprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            return std::wstring(buffer.data(), static_cast<size_t>(written));
        }
        if (buffer.size() >= (size_t{1} << 20)) {
            return std::wstring();  // only a malformed format gets here
        }
        buffer.resize(buffer.size() * 2);
    }
}
