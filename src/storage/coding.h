// Number coding of the storage format: varints and adaptive-width integer
// columns (packing, unpacking, width choice and width recovery).
// Not for: file access or anything that knows about views and records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sw::storage::coding {

// Appends the varint of `value` (negative values get the 00 prefix).
void PutVarint(std::string* out, std::int64_t value);
std::size_t VarintLength(std::int64_t value);

// Reads a varint from data[*pos...]; false when the bytes end first or the
// value does not fit 32 bits.
bool GetVarint(std::string_view data, std::size_t* pos, std::int32_t* value);

// Smallest adaptive width (0,1,2,4,8,16,32) that holds `value`.
int MinWidth(std::int32_t value);
// Block size of `rows` entries at `width` bits, including the small-row-count
// sizes for widths 1, 2 and 4.
std::size_t PackedSize(std::size_t rows, int width);
// Width recovered from a block of `size` bytes holding `rows` entries, or -1
// when no width fits.
int WidthFromSize(std::size_t rows, std::size_t size);

// Reads entry `index` of a packed block (sign-extending 8/16/32/64-bit ones).
std::int64_t GetPacked(const std::uint8_t* block, std::size_t index, int width, bool little_endian);
// Writes entry `index`; the block must be zero-filled for sub-byte widths.
void PutPacked(std::uint8_t* block, std::size_t index, int width, bool little_endian, std::int64_t value);

// Fixed-width big-endian numbers of the 8-byte marks.
std::uint32_t GetBE32(const std::uint8_t* p);
void PutBE32(std::uint8_t* p, std::uint32_t v);

}  // namespace sw::storage::coding
