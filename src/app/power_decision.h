#pragma once

#include <cstdint>
#include <string>

// The words of the power actions' outcomes. No Windows header here: what
// each error code means is decided from plain values.

// SHTDN_REASON_FLAG_PLANNED with major and minor reason 0 (other).
inline constexpr uint32_t kPlannedShutdownReason = 0x80000000u;

// ERROR_NOT_ALL_ASSIGNED: AdjustTokenPrivileges "succeeds" but the account
// does not hold the privilege.
inline constexpr uint32_t kErrorNotAllAssigned = 1300u;

// Why enabling the shutdown privilege failed, by the step that failed and the
// last error it left.
[[nodiscard]] std::wstring tokenOpenFailureReason(uint32_t code);
[[nodiscard]] std::wstring privilegeLookupFailureReason(uint32_t code);
// The last error read right after AdjustTokenPrivileges: empty when it is 0
// (the privilege is enabled), otherwise the reason it is not.
[[nodiscard]] std::wstring privilegeAdjustFailureReason(uint32_t code);

// The error boxes' texts: the privilege could not be enabled, or
// ExitWindowsEx refused with this last error.
[[nodiscard]] std::wstring privilegeRefusedMessage(const std::wstring& reason);
[[nodiscard]] std::wstring exitRefusedMessage(uint32_t code);
