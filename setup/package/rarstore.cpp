#include "rarstore.h"

namespace {

void Put16(std::vector<uint8_t> &out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t> &out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A block: HEAD_CRC (low 16 bits of the CRC-32 of everything after it), HEAD_TYPE,
// HEAD_FLAGS, HEAD_SIZE, then the type's fields.
void PutBlock(std::vector<uint8_t> &out, uint8_t type, uint16_t flags,
              const std::vector<uint8_t> &fields) {
  std::vector<uint8_t> head;
  head.push_back(type);
  Put16(head, flags);
  Put16(head, uint32_t(7 + fields.size()));
  head.insert(head.end(), fields.begin(), fields.end());
  Put16(out, Crc32(head.data(), head.size()) & 0xFFFF);
  out.insert(out.end(), head.begin(), head.end());
}

const uint8_t kMainHeader = 0x73, kFileHeader = 0x74, kEndOfArchive = 0x7B;
const uint16_t kLongBlock = 0x8000;  // data follows the header
const uint8_t kHostWin32 = 2, kVersion20 = 20, kStore = 0x30;
const uint32_t kArchiveAttribute = 0x20;
const uint32_t kDosTime = (uint32_t(2024 - 1980) << 25) | (1u << 21) | (1u << 16);

}  // namespace

uint32_t Crc32(const uint8_t *data, size_t size, uint32_t crc) {
  static uint32_t table[256];
  if (!table[1]) {
    for (uint32_t i = 0; i < 256; i++) {
      uint32_t c = i;
      for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
  }
  crc = ~crc;
  for (size_t i = 0; i < size; i++) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::vector<uint8_t> BuildStoredRar(const std::vector<RarMember> &members) {
  std::vector<uint8_t> out = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
  PutBlock(out, kMainHeader, 0, std::vector<uint8_t>(6, 0));
  for (const RarMember &m : members) {
    std::vector<uint8_t> f;
    Put32(f, uint32_t(m.data.size()));  // PACK_SIZE
    Put32(f, uint32_t(m.data.size()));  // UNP_SIZE
    f.push_back(kHostWin32);
    Put32(f, Crc32(m.data.data(), m.data.size()));
    Put32(f, kDosTime);
    f.push_back(kVersion20);
    f.push_back(kStore);
    Put16(f, uint32_t(m.name.size()));
    Put32(f, kArchiveAttribute);
    f.insert(f.end(), m.name.begin(), m.name.end());
    PutBlock(out, kFileHeader, kLongBlock, f);
    out.insert(out.end(), m.data.begin(), m.data.end());
  }
  PutBlock(out, kEndOfArchive, 0, {});
  return out;
}
