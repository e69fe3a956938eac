// Native driver for tools/sanitize-smbios.sh: runs the SMBIOS parser over the
// real tables, every prefix of them and many single-byte changes, each input
// in a heap block of exactly its own size so that AddressSanitizer sees any
// read past the end.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "scan/firmware_table.h"

namespace {

size_t parses = 0;
size_t successes = 0;

void parseExactly(const uint8_t* bytes, size_t length)
{
    // A fresh allocation of exactly `length` bytes: one byte more read is a heap overflow.
    std::unique_ptr<uint8_t[]> copy(length != 0 ? new uint8_t[length] : nullptr);
    std::copy(bytes, bytes + length, copy.get());
    FirmwareSummary summary;
    std::wstring reason;
    if (parseSmbios(copy.get(), length, summary, reason)) {
        ++successes;
    }
    ++parses;
}

std::vector<uint8_t> wrap(const std::vector<uint8_t>& bare, size_t declared)
{
    std::vector<uint8_t> block = {0, 3, 0, 0};
    for (int shift = 0; shift < 32; shift += 8) {
        block.push_back(static_cast<uint8_t>(declared >> shift));
    }
    block.insert(block.end(), bare.begin(), bare.begin() + static_cast<std::ptrdiff_t>(declared));
    return block;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER-OF-SMBIOS-TABLES\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        if (entry.path().extension() == ".bin") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "no .bin tables in %s\n", argv[1]);
        return 2;
    }
    std::mt19937 random(20240611u);
    for (const auto& file : files) {
        std::ifstream stream(file, std::ios::binary);
        const std::vector<uint8_t> bare((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        const std::vector<uint8_t> whole = wrap(bare, bare.size());
        for (size_t length = 0; length <= whole.size(); ++length) {
            parseExactly(whole.data(), length);  // cut short, header still declaring everything
        }
        for (size_t prefix = 0; prefix <= bare.size(); ++prefix) {
            const std::vector<uint8_t> block = wrap(bare, prefix);
            parseExactly(block.data(), block.size());
        }
        std::vector<uint8_t> changed = whole;
        std::uniform_int_distribution<size_t> where(0, changed.size() - 1);
        std::uniform_int_distribution<int> what(0, 255);
        for (int change = 0; change < 2000; ++change) {
            const size_t at = where(random);
            const uint8_t original = changed[at];
            const int pick = what(random);
            changed[at] = static_cast<uint8_t>(pick < 64 ? pick % 5 : pick);
            parseExactly(changed.data(), changed.size());
            changed[at] = original;
        }
    }
    std::printf("smbios sweep: %zu tables, %zu parses (%zu succeeded), no fault found\n", files.size(), parses,
                successes);
    return 0;
}
