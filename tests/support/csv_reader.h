#pragma once

// No <windows.h> here: the CSV fuzz target is built natively too.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A field as read: its bytes with the quoting undone, and whether it was quoted.
struct CsvField {
    std::string bytes;
    bool quoted = false;
};
using CsvRecord = std::vector<CsvField>;

struct CsvReading {
    std::vector<CsvRecord> records;
    std::string error;  // empty when every byte was read
    size_t at = 0;      // where reading stopped
};

// RFC 4180, strictly: every record ends in CR LF; a field is either free of
// commas, quotes, CR and LF, or wholly quoted with inner quotes doubled.
inline CsvReading readCsv(std::string_view bytes)
{
    CsvReading reading;
    size_t& at = reading.at;
    while (at < bytes.size()) {
        CsvRecord record;
        for (;;) {
            CsvField field;
            field.quoted = at < bytes.size() && bytes[at] == '"';
            if (field.quoted) {
                for (++at;; ++at) {
                    if (at == bytes.size()) {
                        reading.error = "a quoted field is not closed";
                        return reading;
                    }
                    if (bytes[at] == '"') {
                        if (at + 1 == bytes.size() || bytes[at + 1] != '"') {
                            ++at;
                            break;
                        }
                        ++at;
                    }
                    field.bytes += bytes[at];
                }
            } else {
                for (; at < bytes.size() && bytes[at] != ',' && bytes[at] != '\r' && bytes[at] != '\n'; ++at) {
                    if (bytes[at] == '"') {
                        reading.error = "a quote inside an unquoted field";
                        return reading;
                    }
                    field.bytes += bytes[at];
                }
            }
            record.push_back(std::move(field));
            if (at < bytes.size() && bytes[at] == ',') {
                ++at;
                continue;
            }
            if (bytes.substr(at, 2) == "\r\n") {
                at += 2;
                break;
            }
            reading.error = "a field is followed by neither a comma nor CR LF";
            return reading;
        }
        reading.records.push_back(std::move(record));
    }
    return reading;
}
