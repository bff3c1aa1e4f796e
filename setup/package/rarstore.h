// Writes RAR archives in the block format of RAR 2.x (signature "Rar!\x1a\x07\x00"), every
// member stored uncompressed. Enough for the installer's payload and for tests of the UnRAR
// library; the rar tool of today writes only the newer RAR 5 format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RarMember {
  std::string name;  // path inside the archive, '\' between folders
  std::vector<uint8_t> data;
};

uint32_t Crc32(const uint8_t *data, size_t size, uint32_t crc = 0);
std::vector<uint8_t> BuildStoredRar(const std::vector<RarMember> &members);
