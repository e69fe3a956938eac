#pragma once

#include <windows.h>

#include <string>

#include "support/file_bytes.h"
#include "support/under_wine.h"

// Files of the Linux host as Wine shows them on drive Z:, for comparing what
// Windows reports with what the host kernel says. Only under Wine is drive Z:
// the Linux root these helpers read.

// Opens a test that compares with the Linux host behind Wine: on Windows
// itself there is no such host and the test is skipped; under Wine it runs.
#define SKIP_UNLESS_UNDER_WINE()                                                                            \
    if (!runningUnderWine()) {                                                                              \
        GTEST_SKIP() << "compares with the Linux host behind Wine's drive Z:, which Windows does not have"; \
    }

// The whole file; empty when it cannot be read. /proc files report a size of
// 0, which fileBytes does not ask for: it reads until the end.
inline std::string readHostFile(const wchar_t* path)
{
    return fileBytes(path).value_or(std::string());
}

// The value after the colon of the first line whose key (before blanks and
// the colon) is `key`, without surrounding blanks; empty when absent.
inline std::string hostField(const std::string& text, const std::string& key, size_t from = 0)
{
    size_t lineStart = from;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) {
            lineEnd = text.size();
        }
        const std::string line = text.substr(lineStart, lineEnd - lineStart);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
                name.pop_back();
            }
            if (name == key) {
                std::string value = line.substr(colon + 1);
                const size_t first = value.find_first_not_of(" \t");
                const size_t last = value.find_last_not_of(" \t\r");
                return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
            }
        }
        lineStart = lineEnd + 1;
    }
    return std::string();
}
