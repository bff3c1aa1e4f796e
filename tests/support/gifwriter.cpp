#include "gifwriter.h"

#include <unordered_map>

namespace {

void PutWord(std::string &out, int value) {
  out += (char)(value & 0xFF);
  out += (char)((value >> 8) & 0xFF);
}

int TableSizeBits(int colors) {
  int bits = 0;
  while ((2 << bits) < colors) bits++;
  return bits;
}

class BitWriter {
 public:
  void Put(int code, int width) {
    bits_ |= (unsigned long)code << count_;
    count_ += width;
    while (count_ >= 8) {
      bytes_ += (char)(bits_ & 0xFF);
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  std::string Finish() {
    if (count_ > 0) bytes_ += (char)(bits_ & 0xFF);
    return bytes_;
  }

 private:
  unsigned long bits_ = 0;
  int count_ = 0;
  std::string bytes_;
};

// The minimum code size byte, then the bytes in sub-blocks.
std::string SubBlocks(int minCodeSize, const std::string &bytes, const LzwOptions &options) {
  std::string out(1, (char)minCodeSize);
  for (size_t pos = 0; pos < bytes.size(); pos += options.blockSize) {
    std::string part = bytes.substr(pos, options.blockSize);
    out += (char)part.size();
    out += part;
  }
  if (options.terminator) out += '\0';
  return out;
}

}  // namespace

std::string GifColorTable(int colors) {
  std::string table;
  for (int i = 0; i < colors; i++) {
    table += (char)(i * 37 + 11);
    table += (char)(255 - i);
    table += (char)(i * 101 + 7);
  }
  return table;
}

std::string GifHeader(const std::string &version, int width, int height, int globalColors) {
  std::string out = "GIF" + version;
  PutWord(out, width);
  PutWord(out, height);
  out += (char)(globalColors ? 0x80 | 0x70 | TableSizeBits(globalColors) : 0x70);
  out += '\0';  // background
  out += '\0';  // aspect
  if (globalColors) out += GifColorTable(globalColors);
  return out;
}

std::string GifImageDescriptor(int width, int height, int localColors, bool interlaced) {
  std::string out = ",";
  PutWord(out, 0);
  PutWord(out, 0);
  PutWord(out, width);
  PutWord(out, height);
  int packed = interlaced ? 0x40 : 0;
  if (localColors) packed |= 0x80 | TableSizeBits(localColors);
  out += (char)packed;
  if (localColors) {
    // A table unlike the global one: the same colours in reverse order.
    std::string table = GifColorTable(localColors);
    for (int i = 0; i < localColors; i++) out += table.substr((localColors - 1 - i) * 3, 3);
  }
  return out;
}

std::string GifExtension(int label, const std::string &payload) {
  std::string out = "!";
  out += (char)label;
  for (size_t pos = 0; pos < payload.size(); pos += 255) {
    std::string part = payload.substr(pos, 255);
    out += (char)part.size();
    out += part;
  }
  out += '\0';
  return out;
}

std::string GifLzwData(const std::vector<unsigned char> &pixels, int minCodeSize,
                       const LzwOptions &options) {
  const int clear = 1 << minCodeSize, end = clear + 1;
  BitWriter writer;
  std::unordered_map<int, int> table;  // (prefix code << 8 | pixel) -> code
  int next = clear + 2, width = minCodeSize + 1;
  auto reset = [&]() {
    table.clear();
    next = clear + 2;
    width = minCodeSize + 1;
  };
  if (options.clearFirst) writer.Put(clear, width);
  if (!pixels.empty()) {
    int prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); i++) {
      const int key = prefix << 8 | pixels[i];
      auto found = table.find(key);
      if (found != table.end()) {
        prefix = found->second;
        continue;
      }
      writer.Put(prefix, width);
      if (next < 4096) {
        table[key] = next++;
        if (next > (1 << width) && width < 12) width++;
      } else if (options.clearWhenFull) {
        writer.Put(clear, width);
        reset();
      }
      prefix = pixels[i];
    }
    writer.Put(prefix, width);
  }
  if (options.endCode) writer.Put(end, width);

  return SubBlocks(minCodeSize, writer.Finish(), options);
}

std::string GifRawCodes(int minCodeSize, const std::vector<std::pair<int, int>> &codes) {
  BitWriter writer;
  for (const auto &code : codes) writer.Put(code.first, code.second);
  return SubBlocks(minCodeSize, writer.Finish(), LzwOptions());
}

std::vector<unsigned char> InterlaceRows(const std::vector<unsigned char> &pixels, int width,
                                         int height) {
  std::vector<unsigned char> out;
  const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; pass++)
    for (int y = starts[pass]; y < height; y += steps[pass])
      out.insert(out.end(), pixels.begin() + (size_t)y * width,
                 pixels.begin() + (size_t)(y + 1) * width);
  return out;
}

int MinCodeSizeFor(int colors) {
  int size = 2;
  while ((1 << size) < colors) size++;
  return size;
}

std::string MakeGif(int width, int height, int colors, const std::vector<unsigned char> &pixels,
                    bool interlaced, const std::string &version) {
  return GifHeader(version, width, height, colors) +
         GifImageDescriptor(width, height, 0, interlaced) +
         GifLzwData(interlaced ? InterlaceRows(pixels, width, height) : pixels,
                    MinCodeSizeFor(colors)) +
         ";";
}
