#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The words of the common Save As dialog's extended error code, or false for
// code 0 (the user cancelled), which leaves the text alone.
[[nodiscard]] bool dialogErrorText(uint32_t code, std::wstring& text);

// The clipboard text of the selected list items: item, tab, value, CR LF per
// item, in the order given. An index outside the shown rows adds nothing.
[[nodiscard]] std::wstring selectedRowsText(const std::vector<std::pair<std::wstring, std::wstring>>& shownRows,
                                            const std::vector<int>& selected);
