// The cycle file reader: the three primitives, header and record decoding,
// section scanning and the cycle list.
#include "cyclefile/cycle_reader.h"

#include <gtest/gtest.h>

#include "cycle_text.h"
#include "support/temp_dir.h"

namespace sw::cyclefile {
namespace {

using Item = CycleReader::Item;

TEST(CyclePrimitivesTest, TokenFieldAndRestOfLineFollowTheirRules) {
  CycleReader r(" \t\n  abcdefg, x ,\n y,last value  \r\n\n   next");
  EXPECT_EQ(r.Token(), "abcd");  // at most four characters
  EXPECT_EQ(r.Token(), "efg,");  // ends after four characters, comma included
  bool complete = false;
  EXPECT_EQ(r.Field(&complete), " x ");  // nothing skipped first
  EXPECT_TRUE(complete);
  EXPECT_EQ(r.Field(&complete), "\n y");  // line ends belong to the field
  EXPECT_EQ(r.RestOfLine(), "last value  ");  // CR of a CR LF end dropped
  EXPECT_EQ(r.RestOfLine(), "next");           // blank line and leading blanks skipped
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.Token(), "");
  EXPECT_EQ(r.Field(&complete), "");
  EXPECT_FALSE(complete);
}

TEST(CycleHeaderTest, DecodesEveryUsedPosition) {
  test::HeaderFields fields;
  fields.cycle = " 2";
  fields.year = " 98 ";
  fields.prefix = "AB12345";
  fields.cal_year = "1999";
  fields.mark = 't';
  fields.description = "123456789";
  CycleReader r(test::HeaderLine(fields));
  ASSERT_EQ(r.Token(), "-999");
  const CycleHeader h = r.ReadHeader();
  EXPECT_EQ(h.cycle, " 2");
  EXPECT_EQ(h.cycle_year, "98");
  EXPECT_EQ(h.name_prefix, "AB12345");
  EXPECT_EQ(h.cruise_no, "12345");
  EXPECT_EQ(h.cal_year, "1999");
  EXPECT_EQ(h.tree_class, "L");
  EXPECT_EQ(h.stratum_description, "123,456789");

  EXPECT_EQ(DecodeHeader(std::string(76, ' ') + "X").tree_class, "C");
  // A short R gives empty or short values.
  const CycleHeader short_r = DecodeHeader("        3  20");
  EXPECT_EQ(short_r.cycle, "3 ");
  EXPECT_EQ(short_r.cycle_year, "20");
  EXPECT_EQ(short_r.name_prefix, "");
  EXPECT_EQ(short_r.cal_year, "");
  EXPECT_EQ(short_r.tree_class, "C");
  EXPECT_EQ(short_r.stratum_description, "");
  EXPECT_EQ(DecodeHeader(std::string(123, ' ') + "AB").stratum_description, "AB,");
}

TEST(CycleRecordTest, DecodesAllValues) {
  test::RecordFields fields;
  fields.region = "1";
  fields.forest = "  05";
  fields.stratum = "  7  ";
  fields.live = "2.5";
  fields.dead = "1";
  fields.sdefs = "99";
  fields.sdefp = "99.0";
  fields.fc = "78.9";
  fields.btr = "0.12";
  CycleReader r(test::RecordLine(fields));
  CycleHeader h;
  CycleRecord rec;
  ASSERT_EQ(r.Next(h, rec), Item::kRecord);
  EXPECT_EQ(rec.region, "01");
  EXPECT_EQ(rec.forest, "05");
  EXPECT_EQ(rec.district, "03");
  EXPECT_EQ(rec.stratum, "7");
  EXPECT_EQ(rec.product, "01");
  EXPECT_EQ(rec.tree, "1");
  EXPECT_EQ(rec.species, "202");
  EXPECT_EQ(rec.plot, "1");
  EXPECT_FLOAT_EQ(rec.live_count, 2.5f);
  EXPECT_FLOAT_EQ(rec.dead_count, 1.0f);
  EXPECT_FLOAT_EQ(rec.dbh, 12.5f);
  EXPECT_FLOAT_EQ(rec.total_height, 80.0f);
  EXPECT_EQ(rec.crown, "5");
  EXPECT_FLOAT_EQ(rec.secondary_defect, 100.0f);
  EXPECT_FLOAT_EQ(rec.primary_defect, 100.0f);
  EXPECT_EQ(rec.form_class, 78);
  EXPECT_FLOAT_EQ(rec.height_first_live_limb, 20.0f);
  EXPECT_EQ(rec.vol_eq1, "I00FW2W202");
  EXPECT_EQ(rec.vol_eq2, "I00FW2W203");
  EXPECT_FLOAT_EQ(rec.top_dib1, 6.0f);
  EXPECT_FLOAT_EQ(rec.top_dib2, 4.0f);
  EXPECT_FLOAT_EQ(rec.dbh_bark_thickness_ratio, 12.0f);
  EXPECT_EQ(r.Next(h, rec), Item::kEnd);
}

TEST(CycleRecordTest, NumericEdgeCases) {
  EXPECT_EQ(PadRegion("1,"), "01");
  EXPECT_EQ(PadRegion("10,"), "10");
  EXPECT_EQ(PadRegion("8"), "08");
  EXPECT_EQ(PadRegion("12"), "12");
  EXPECT_EQ(PadRegion("13"), "013");
  test::RecordFields fields;
  fields.sdefs = "98.9";
  fields.sdefp = "abc";
  fields.live = "";
  fields.btr = " 0.5x";
  CycleReader r(test::RecordLine(fields, ""));  // no final line end
  CycleHeader h;
  CycleRecord rec;
  ASSERT_EQ(r.Next(h, rec), Item::kRecord);
  EXPECT_FLOAT_EQ(rec.secondary_defect, 98.9f);
  EXPECT_FLOAT_EQ(rec.primary_defect, 0.0f);
  EXPECT_FLOAT_EQ(rec.live_count, 0.0f);
  EXPECT_FLOAT_EQ(rec.dbh_bark_thickness_ratio, 50.0f);
  // "8" followed by a blank and a comma: the token ends at the blank.
  CycleReader blank("8 ,01, 03\n");
  EXPECT_EQ(PadRegion(blank.Token()), "08");
}

TEST(CycleSectionTest, HeadersOnlyAtRecordStarts) {
  // A missing-value marker at the start of a line inside a record (a record
  // broken over two lines) is a value, not a header.
  test::RecordFields fields;
  std::string record = test::RecordLine(fields);
  const std::size_t at = record.find(", 80, 20");  // before the form class
  record.replace(at, 4, ",\n-999");
  const std::string text = test::HeaderLine({}) + record + test::RecordLine(fields);
  CycleReader r(text);
  CycleHeader h;
  CycleRecord rec;
  EXPECT_EQ(r.Next(h, rec), Item::kHeader);
  EXPECT_EQ(r.Next(h, rec), Item::kRecord);
  EXPECT_EQ(rec.form_class, -999);
  EXPECT_EQ(r.Next(h, rec), Item::kRecord);
  EXPECT_EQ(r.item_line(), 4u);
  EXPECT_EQ(r.Next(h, rec), Item::kEnd);
  EXPECT_EQ(ScanCycles(text).count, "1");
}

TEST(CycleSectionTest, FileEndingInsideARecordIsIncomplete) {
  std::string text = test::HeaderLine({}) + test::RecordLine({});
  std::string cut = test::RecordLine({});
  text += cut.substr(0, cut.size() / 2);
  CycleReader r(text);
  CycleHeader h;
  CycleRecord rec;
  EXPECT_EQ(r.Next(h, rec), Item::kHeader);
  EXPECT_EQ(r.Next(h, rec), Item::kRecord);
  EXPECT_EQ(r.Next(h, rec), Item::kIncomplete);
  EXPECT_EQ(r.item_line(), 3u);
}

TEST(CycleSectionTest, PassingOverRecordsStopsWhereDecodingDoes) {
  std::string broken = test::RecordLine({});
  broken.replace(broken.find(", 80, 20"), 4, ",\n-999");
  const std::string text = "  " + test::HeaderLine({}) + broken + test::RecordLine({}) + test::HeaderLine({}) +
                           test::RecordLine({}, "") + "\n\n1, 2, 3";
  CycleReader decoding(text);
  CycleReader passing(text);
  CycleHeader h;
  CycleHeader skipped;
  CycleRecord rec;
  std::vector<Item> items;
  for (;;) {
    const Item item = decoding.Next(h, rec);
    ASSERT_EQ(passing.Skip(skipped), item);
    ASSERT_EQ(passing.position(), decoding.position());
    items.push_back(item);
    if (item == Item::kEnd || item == Item::kIncomplete) break;
  }
  EXPECT_EQ(items, (std::vector<Item>{Item::kHeader, Item::kRecord, Item::kRecord, Item::kHeader, Item::kRecord,
                                      Item::kIncomplete}));
}

TEST(CycleSectionTest, TabsBlankLinesAndCrLf) {
  test::HeaderFields h1;
  test::HeaderFields h2;
  h2.cycle = "10";
  h2.year = "2010";
  test::RecordFields fields;
  fields.region = "10";
  std::string text = "\r\n\r\n  " + test::HeaderLine(h1) + "\t" + test::RecordLine(fields, "\r\n") + "\r\n\t\r\n" +
                     test::HeaderLine(h2) + "   " + test::RecordLine(fields, "");
  for (std::size_t p = text.find('\n'); p != std::string::npos; p = text.find('\n', p + 2)) {
    if (p == 0 || text[p - 1] != '\r') text.insert(p, "\r");
  }
  CycleReader r(text);
  CycleHeader h;
  CycleRecord rec;
  ASSERT_EQ(r.Next(h, rec), Item::kHeader);
  EXPECT_EQ(h.cycle, " 1");
  EXPECT_EQ(h.stratum_description, "ABC,DEFGHI");  // no CR in the last position
  ASSERT_EQ(r.Next(h, rec), Item::kRecord);
  EXPECT_EQ(rec.region, "10");
  EXPECT_FLOAT_EQ(rec.dbh_bark_thickness_ratio, 12.0f);
  ASSERT_EQ(r.Next(h, rec), Item::kHeader);
  EXPECT_EQ(h.cycle, "10");
  ASSERT_EQ(r.Next(h, rec), Item::kRecord);
  EXPECT_EQ(r.Next(h, rec), Item::kEnd);
}

TEST(ScanCyclesTest, ListsEveryHeaderInFileOrderWithDuplicates) {
  test::HeaderFields a;
  test::HeaderFields b;
  b.cycle = " 2";
  b.year = "2010";
  test::HeaderFields c = a;
  c.prefix = "STAND02";
  const std::string text = test::HeaderLine(a) + test::RecordLine({}) + test::HeaderLine(b) + test::HeaderLine(c) +
                           test::RecordLine({}) + test::RecordLine({});
  const CycleScan scan = ScanCycles(text);
  EXPECT_EQ(scan.count, "3");
  ASSERT_EQ(scan.entries.size(), 3u);
  EXPECT_EQ(scan.entries[0], (CycleEntry{" 1", "2005"}));
  EXPECT_EQ(scan.entries[1], (CycleEntry{" 2", "2010"}));
  EXPECT_EQ(scan.entries[2], (CycleEntry{" 1", "2005"}));
}

TEST(ScanCyclesTest, EmptyAndBinaryTextGiveNoCycles) {
  EXPECT_EQ(ScanCycles("").count, "0");
  EXPECT_EQ(ScanCycles("\n\n   \t").count, "0");
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131) & 0xff);
  EXPECT_EQ(ScanCycles(binary).count, "0");
}

TEST(LoadCycleFileTest, ReportsMissingFilesAndFolders) {
  test::TempDir dir;
  std::string text;
  std::string error;
  EXPECT_FALSE(LoadCycleFile(dir / "none.wpx", text, error));
  EXPECT_EQ(error, "no such file");
  EXPECT_FALSE(LoadCycleFile(dir.path(), text, error));
  EXPECT_EQ(error, "it is a folder, not a file");
  test::WriteFile(dir / "a.wpx", "-999 x\n");
  EXPECT_TRUE(LoadCycleFile(dir / "a.wpx", text, error));
  EXPECT_EQ(text, "-999 x\n");
}

}  // namespace
}  // namespace sw::cyclefile
