#pragma once

// Assembles SMBIOS structure tables byte by byte for the parser tests.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace smbios_test {

// The formatted area of one structure: type, length and a zero handle, then
// zeros up to `length`; fields are poked in at their offsets.
class Formatted {
public:
    Formatted(uint8_t type, size_t length) : area_(length < 4 ? 4 : length, 0)
    {
        area_[0] = type;
        area_[1] = static_cast<uint8_t>(length);
    }
    Formatted& byte(size_t offset, uint8_t value)
    {
        area_.at(offset) = value;
        return *this;
    }
    Formatted& word(size_t offset, uint16_t value)
    {
        byte(offset, static_cast<uint8_t>(value));
        return byte(offset + 1, static_cast<uint8_t>(value >> 8));
    }
    Formatted& dword(size_t offset, uint32_t value)
    {
        word(offset, static_cast<uint16_t>(value));
        return word(offset + 2, static_cast<uint16_t>(value >> 16));
    }
    const std::vector<uint8_t>& bytes() const { return area_; }

private:
    std::vector<uint8_t> area_;
};

// A bare structure table.
class Table {
public:
    // A structure with its string set: each string and its zero, then the
    // closing zero (two zeros when there are no strings).
    Table& add(const Formatted& formatted, const std::vector<std::string>& strings = {})
    {
        raw(formatted.bytes());
        for (const std::string& text : strings) {
            bytes_.insert(bytes_.end(), text.begin(), text.end());
            bytes_.push_back(0);
        }
        if (strings.empty()) {
            bytes_.push_back(0);
        }
        bytes_.push_back(0);
        return *this;
    }
    Table& endOfTable() { return add(Formatted(127, 4)); }
    Table& raw(const std::vector<uint8_t>& bytes)
    {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// The 8-byte header Windows puts in front (calling method, major, minor,
// DMI revision, 32-bit length), declaring `declared` table bytes.
inline std::vector<uint8_t> rsmbHeader(uint8_t major, uint8_t minor, uint32_t declared)
{
    return {0,
            major,
            minor,
            0,
            static_cast<uint8_t>(declared),
            static_cast<uint8_t>(declared >> 8),
            static_cast<uint8_t>(declared >> 16),
            static_cast<uint8_t>(declared >> 24)};
}

// Header plus table, the header declaring exactly the table's length.
inline std::vector<uint8_t> rsmb(const std::vector<uint8_t>& table, uint8_t major = 3, uint8_t minor = 0)
{
    // Sized once and filled: GCC 12 warns falsely about inserting into the
    // 8-byte header vector.
    const std::vector<uint8_t> header = rsmbHeader(major, minor, static_cast<uint32_t>(table.size()));
    std::vector<uint8_t> block(header.size() + table.size());
    std::copy(header.begin(), header.end(), block.begin());
    std::copy(table.begin(), table.end(), block.begin() + static_cast<std::ptrdiff_t>(header.size()));
    return block;
}

inline std::vector<uint8_t> rsmb(const Table& table, uint8_t major = 3, uint8_t minor = 0)
{
    return rsmb(table.bytes(), major, minor);
}

}  // namespace smbios_test
