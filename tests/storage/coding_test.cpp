// Varint and adaptive-width coding against the format's own tables.
#include <gtest/gtest.h>

#include "storage/coding.h"

namespace sw::storage::coding {
namespace {

std::string Hex(const std::string& s) {
  static const char* k = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (!out.empty()) out += ' ';
    out += k[c >> 4];
    out += k[c & 15];
  }
  return out;
}

TEST(Varint, EncodesTheDocumentedExamplesAndDecodesThemBack) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "80"}, {1, "81"}, {5, "85"}, {127, "FF"}, {128, "01 80"}, {255, "01 FF"}, {300, "02 AC"},
      {10001, "4E 91"}, {16383, "7F FF"}, {16384, "01 00 80"}, {20094, "01 1C FE"}, {2097152, "01 00 00 80"},
      {268435456, "01 00 00 00 80"}, {2147483647, "07 7F 7F 7F FF"}, {-1, "00 80"}, {-200, "00 01 C7"}};
  for (const auto& [value, hex] : cases) {
    std::string out;
    PutVarint(&out, value);
    EXPECT_EQ(Hex(out), hex) << value;
    EXPECT_EQ(VarintLength(value), out.size());
    std::size_t pos = 0;
    std::int32_t back = 0;
    ASSERT_TRUE(GetVarint(out, &pos, &back));
    EXPECT_EQ(back, value);
    EXPECT_EQ(pos, out.size());
  }
}

TEST(Varint, RejectsTruncatedAndOversizedNumbers) {
  std::size_t pos = 0;
  std::int32_t v = 0;
  EXPECT_FALSE(GetVarint(std::string("\x01\x02", 2), &pos, &v));
  pos = 0;
  EXPECT_FALSE(GetVarint(std::string("\x7F\x7F\x7F\x7F\x7F\xFF", 6), &pos, &v));
  pos = 0;
  EXPECT_FALSE(GetVarint(std::string(), &pos, &v));
}

TEST(AdaptiveWidth, SmallRowCountSizesAndRecoveryTable) {
  EXPECT_EQ(PackedSize(1, 1), 3u);
  EXPECT_EQ(PackedSize(4, 1), 5u);
  EXPECT_EQ(PackedSize(2, 2), 5u);
  EXPECT_EQ(PackedSize(3, 2), 1u);
  EXPECT_EQ(PackedSize(1, 4), 6u);
  EXPECT_EQ(PackedSize(2, 4), 1u);
  EXPECT_EQ(PackedSize(5, 4), 3u);
  EXPECT_EQ(PackedSize(0, 8), 0u);
  // Every width round-trips through its size for 1..40 rows.
  for (std::size_t rows = 1; rows <= 40; ++rows) {
    for (int w : {1, 2, 4, 8, 16, 32, 64}) {
      EXPECT_EQ(WidthFromSize(rows, PackedSize(rows, w)), w) << rows << " rows at " << w;
    }
  }
  EXPECT_EQ(WidthFromSize(3, 4), 1);
  EXPECT_EQ(WidthFromSize(9, 2), 1);
  EXPECT_EQ(WidthFromSize(5, 3), 4);
  EXPECT_EQ(WidthFromSize(4, 3), -1);
  EXPECT_EQ(WidthFromSize(10, 7), -1);
  EXPECT_EQ(WidthFromSize(2000000000, 100), -1);
}

TEST(AdaptiveWidth, MinimalWidthPerValue) {
  EXPECT_EQ(MinWidth(0), 0);
  EXPECT_EQ(MinWidth(1), 1);
  EXPECT_EQ(MinWidth(3), 2);
  EXPECT_EQ(MinWidth(15), 4);
  EXPECT_EQ(MinWidth(16), 8);
  EXPECT_EQ(MinWidth(-1), 8);
  EXPECT_EQ(MinWidth(-129), 16);
  EXPECT_EQ(MinWidth(32768), 32);
}

TEST(AdaptiveWidth, PacksLittleEndFirstAndSignExtendsWideEntries) {
  std::uint8_t b[8] = {};
  PutPacked(b, 0, 2, true, 1);
  PutPacked(b, 1, 2, true, 2);
  PutPacked(b, 2, 2, true, 3);
  EXPECT_EQ(b[0], 0x39);
  std::uint8_t w[4] = {};
  PutPacked(w, 0, 16, false, 0x1234);
  PutPacked(w, 1, 16, false, -3);
  EXPECT_EQ(w[0], 0x12);
  EXPECT_EQ(GetPacked(w, 1, 16, false), -3);
  EXPECT_EQ(GetPacked(w, 0, 16, false), 0x1234);
}

}  // namespace
}  // namespace sw::storage::coding
