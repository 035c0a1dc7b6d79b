// The checksums the build stores beside the payload resources, and their reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// CRC-32 (the ZIP polynomial), continued from `crc` over the bytes.
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

struct PayloadChecksum {
    std::string name;  // resource name
    std::string type;  // resource type
    uint32_t size;
    uint32_t crc;
};

// The table as the build writes it:
//   "TWSUMS01", u32 count, then per resource: name[32], type[16] (NUL-padded),
//   u32 size, u32 crc (little-endian).
// Gives nothing for a table that is damaged, empty or not of this form.
std::optional<std::vector<PayloadChecksum>> ParseChecksumTable(const void* data, size_t size);
