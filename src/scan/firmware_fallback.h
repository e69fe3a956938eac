#pragma once

#include <string>

#include "report/reading.h"

// The reading every firmware-derived field gets when the table is unusable.
[[nodiscard]] Reading firmwareFallback(const std::wstring& firmwareError);
