#pragma once

#include <string>

// The local date and time now, as "yyyy-mm-dd hh:mm:ss".
[[nodiscard]] std::wstring localTimestampText();
