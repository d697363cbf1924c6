// The dump file reader: lines, table announcements, value decoding.
#include "dumpfile/dump_reader.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/temp_dir.h"

namespace sw::dumpfile {
namespace {

using Kind = DumpReader::Item::Kind;
using storage::Type;

TEST(DumpReaderTest, TablesRowsAndTheLinePassedOver) {
  DumpReader r = DumpReader::FromText(
      "before\n[T]\nT[A:S,N:I]\nA,N\n x,7\n\n   \n[U]\r\nU[X:L]\r\nX\r\n5\r\n");
  DumpReader::Item item = r.Next();
  EXPECT_EQ(item.kind, Kind::kRow);
  EXPECT_EQ(item.line, "before");
  item = r.Next();
  ASSERT_EQ(item.kind, Kind::kTable);
  EXPECT_EQ(item.description, "T[A:S,N:I]");
  item = r.Next();
  ASSERT_EQ(item.kind, Kind::kRow);
  EXPECT_EQ(item.line, " x,7");  // leading blank kept
  EXPECT_EQ(item.line_number, 5u);
  item = r.Next();
  ASSERT_EQ(item.kind, Kind::kRow);
  EXPECT_EQ(item.line, "   ");  // a blank-only line is a row
  item = r.Next();
  ASSERT_EQ(item.kind, Kind::kTable);
  EXPECT_EQ(item.description, "U[X:L]");  // CR dropped
  item = r.Next();
  ASSERT_EQ(item.kind, Kind::kRow);
  EXPECT_EQ(item.line, "5");
  EXPECT_EQ(r.Next().kind, Kind::kEnd);
  EXPECT_EQ(r.Next().kind, Kind::kEnd);
}

TEST(DumpReaderTest, LeadingBlankLinesAndLongLinesNeverHang) {
  std::string longline(5000, 'a');
  DumpReader r = DumpReader::FromText("\n\n\n[T]\nT[A:S]\nA\n" + longline);
  ASSERT_EQ(r.Next().kind, Kind::kTable);
  DumpReader::Item item = r.Next();
  ASSERT_EQ(item.kind, Kind::kRow);
  EXPECT_EQ(item.line.size(), 5000u);
  EXPECT_EQ(r.Next().kind, Kind::kEnd);
  // An announcement at the very end has an empty description.
  DumpReader end = DumpReader::FromText("[T]\n");
  DumpReader::Item t = end.Next();
  EXPECT_EQ(t.kind, Kind::kTable);
  EXPECT_EQ(t.description, "");
}

TEST(DumpReaderTest, MissingFileIsNotOpen) {
  test::TempDir dir;
  EXPECT_FALSE(DumpReader(dir / "none.crz.dmp").is_open());
  EXPECT_EQ(DumpReader(dir / "none.crz.dmp").Next().kind, Kind::kEnd);
}

TEST(DumpValuesTest, TextEncodings) {
  EXPECT_EQ(DecodeText("a^b!c"), "a,b\nc");
  EXPECT_EQ(DecodeText(" "), "");
  EXPECT_EQ(DecodeText("  "), "  ");
  EXPECT_EQ(DecodeText(""), "");
  EXPECT_EQ(DecodeText(" 7 "), " 7 ");
}

TEST(DumpValuesTest, SplitByTypeLetter) {
  const std::vector<Type> types = {Type::String, Type::Int, Type::Long, Type::Float, Type::Double};
  auto v = SplitRow(" a^b,-12,9000000000,0.1,0.1", types);
  ASSERT_EQ(v.size(), 5u);
  EXPECT_EQ(std::get<std::string>(v[0]), " a,b");
  EXPECT_EQ(std::get<std::int32_t>(v[1]), -12);
  EXPECT_EQ(std::get<std::int64_t>(v[2]), 9000000000LL);
  EXPECT_EQ(std::get<float>(v[3]), 0.1f);
  EXPECT_EQ(std::get<double>(v[4]), 0.1);

  // Empty values, surplus values and missing values.
  v = SplitRow(",,", types);
  EXPECT_EQ(std::get<std::string>(v[0]), "");
  EXPECT_EQ(std::get<std::int32_t>(v[1]), 0);
  EXPECT_EQ(std::get<std::int64_t>(v[2]), 0);
  EXPECT_EQ(std::get<float>(v[3]), 0.0f);
  v = SplitRow("x,1,2,3,4,surplus,more", types);
  EXPECT_EQ(std::get<double>(v[4]), 4.0);
  v = SplitRow("only", types);
  EXPECT_EQ(std::get<std::string>(v[0]), "only");
  EXPECT_EQ(std::get<std::int32_t>(v[1]), 0);
  EXPECT_EQ(std::get<double>(v[4]), 0.0);
  v = SplitRow("last,1,2,3,4.5,", types);  // the last value ends at a comma
  EXPECT_EQ(std::get<double>(v[4]), 4.5);
  EXPECT_TRUE(SplitRow("anything", {}).empty());
}

TEST(DumpValuesTest, LongsAreSixtyFourBits) {
  EXPECT_EQ(ToLong("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ToLong("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(ToLong("99999999999999999999"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ToLong("-99999999999999999999"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(ToLong("  +42abc"), 42);
  EXPECT_EQ(ToLong("4294967296"), 4294967296LL);
  EXPECT_EQ(ToLong("x"), 0);
  EXPECT_EQ(ToLong(""), 0);
  EXPECT_EQ(ToLong("-"), 0);
}

}  // namespace
}  // namespace sw::dumpfile
