// Varint and adaptive-integer coding, the one place the format's number
// encodings are implemented. Not for: block layout or record structure.
#include "storage/coding.h"

namespace sw::storage::coding {

void PutVarint(std::string* out, std::int64_t value) {
  std::uint64_t v = static_cast<std::uint64_t>(value);
  if (value < 0) {
    out->push_back('\0');
    v = ~v;
  }
  char buf[10];
  int n = 0;
  do {
    buf[n++] = static_cast<char>(v & 0x7F);
    v >>= 7;
  } while (v != 0);
  buf[0] = static_cast<char>(static_cast<unsigned char>(buf[0]) | 0x80);
  while (n > 0) out->push_back(buf[--n]);
}

std::size_t VarintLength(std::int64_t value) {
  std::uint64_t v = static_cast<std::uint64_t>(value);
  std::size_t n = 0;
  if (value < 0) {
    ++n;
    v = ~v;
  }
  do {
    ++n;
    v >>= 7;
  } while (v != 0);
  return n;
}

bool GetVarint(std::string_view data, std::size_t* pos, std::int32_t* value) {
  std::size_t p = *pos;
  if (p >= data.size()) return false;
  bool negative = data[p] == '\0';
  if (negative) ++p;
  std::uint64_t v = 0;
  for (int digits = 0;; ++digits) {
    if (p >= data.size() || digits >= 6) return false;
    const auto byte = static_cast<unsigned char>(data[p++]);
    v = (v << 7) | (byte & 0x7F);
    if (v > 0x7FFFFFFFu) return false;
    if (byte & 0x80) break;
  }
  *pos = p;
  *value = negative ? static_cast<std::int32_t>(~v) : static_cast<std::int32_t>(v);
  return true;
}

int MinWidth(std::int32_t v) {
  if (v == 0) return 0;
  if (v == 1) return 1;
  if (v >= 2 && v <= 3) return 2;
  if (v >= 4 && v <= 15) return 4;
  if (v >= -128 && v <= 127) return 8;
  if (v >= -32768 && v <= 32767) return 16;
  return 32;
}

std::size_t PackedSize(std::size_t rows, int width) {
  if (width == 0 || rows == 0) return 0;
  if (rows <= 4 && width <= 4) {
    static const unsigned char kSmall[3][4] = {{3, 3, 4, 5}, {5, 5, 1, 1}, {6, 1, 2, 2}};
    const int w = width == 1 ? 0 : width == 2 ? 1 : 2;
    return kSmall[w][rows - 1];
  }
  return (rows * static_cast<std::size_t>(width) + 7) / 8;
}

int WidthFromSize(std::size_t rows, std::size_t size) {
  if (size == 0) return 0;
  if (rows == 0) return -1;
  if (rows <= 7 && size <= 6) {
    static const signed char kTable[6][7] = {
        {8, 4, 2, 2, 1, 1, 1},    {16, 8, 4, 4, 2, 2, 2}, {1, 1, 8, -1, 4, 4, -1},
        {32, 16, 1, 8, -1, -1, 4}, {2, 2, -1, 1, 8, -1, -1}, {4, -1, 16, -1, -1, 8, -1}};
    return kTable[size - 1][rows - 1];
  }
  if (size > (SIZE_MAX / 8)) return -1;
  const std::size_t w = size * 8 / rows;
  switch (w) {
    case 1: case 2: case 4: case 8: case 16: case 32: case 64:
      // The block must not be longer than the entries need.
      if (PackedSize(rows, static_cast<int>(w)) != size) return -1;
      return static_cast<int>(w);
    default:
      return -1;
  }
}

std::int64_t GetPacked(const std::uint8_t* b, std::size_t i, int width, bool le) {
  switch (width) {
    case 0: return 0;
    case 1: return (b[i >> 3] >> (i & 7)) & 1;
    case 2: return (b[i >> 2] >> ((i & 3) * 2)) & 3;
    case 4: return (b[i >> 1] >> ((i & 1) * 4)) & 15;
    case 8: return static_cast<std::int8_t>(b[i]);
    default: break;
  }
  const int n = width / 8;
  const std::uint8_t* p = b + i * n;
  std::uint64_t v = 0;
  if (le) {
    for (int k = n - 1; k >= 0; --k) v = (v << 8) | p[k];
  } else {
    for (int k = 0; k < n; ++k) v = (v << 8) | p[k];
  }
  if (n == 2) return static_cast<std::int16_t>(v);
  if (n == 4) return static_cast<std::int32_t>(v);
  return static_cast<std::int64_t>(v);
}

void PutPacked(std::uint8_t* b, std::size_t i, int width, bool le, std::int64_t value) {
  const auto u = static_cast<std::uint64_t>(value);
  switch (width) {
    case 0: return;
    case 1: b[i >> 3] = static_cast<std::uint8_t>(b[i >> 3] | ((u & 1) << (i & 7))); return;
    case 2: b[i >> 2] = static_cast<std::uint8_t>(b[i >> 2] | ((u & 3) << ((i & 3) * 2))); return;
    case 4: b[i >> 1] = static_cast<std::uint8_t>(b[i >> 1] | ((u & 15) << ((i & 1) * 4))); return;
    default: break;
  }
  const int n = width / 8;
  std::uint8_t* p = b + i * n;
  for (int k = 0; k < n; ++k) {
    const auto byte = static_cast<std::uint8_t>(u >> (8 * k));
    if (le) p[k] = byte; else p[n - 1 - k] = byte;
  }
}

std::uint32_t GetBE32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void PutBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

}  // namespace sw::storage::coding
