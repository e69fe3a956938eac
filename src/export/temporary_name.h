#pragma once

#include <string>
#include <string_view>

// How many temporary names a save may try beside its target.
inline constexpr unsigned kTemporaryNameCount = 256;

// The temporary file "~KV%04X.tmp" for `number` (taken as 16 bits) in the
// directory of `target`, split at the last '\' or '/'. Empty when the target's
// own name is that temporary name (ASCII letters compared without case), so a
// save never writes its target under the guise of a temporary file.
[[nodiscard]] std::wstring temporaryNameFor(std::wstring_view target, unsigned number);
