#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "report/snapshot.h"

// The CSV file's bytes: BOM, header, five lines about the page, one line per
// report row. Every line has seven fields and ends in CR LF.
[[nodiscard]] std::string buildCsvReport(const ReportPage& page);

void appendCsvLine(std::string& out, std::initializer_list<std::wstring_view> fields);
// Quoted only when the bytes hold a comma, a double quote, CR or LF.
void appendCsvField(std::string& out, std::wstring_view text);
// Never fails: an unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string utf8FromUtf16(std::wstring_view text);
