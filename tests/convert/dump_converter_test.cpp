// Dump files into cruise files: a cruise file written as a dump and
// converted back is the same file, table by table; bad dumps and refused
// targets leave every file as it was.
#include "convert/dump_converter.h"

#include <gtest/gtest.h>

#include <limits>

#include "dumpfile/dump_image.h"
#include "platform/scripted_platform.h"
#include "storage/storage.h"
#include "support/temp_dir.h"

namespace sw::convert {
namespace {

namespace fs = std::filesystem;
using storage::Storage;
using storage::Value;

std::string DumpOf(Storage& s) { return test::DumpImageOf(s); }

void ExpectSameStorage(Storage& a, Storage& b) {
  ASSERT_EQ(a.Description(), b.Description());
  for (const std::string& name : a.ViewNames()) {
    storage::View x = a.GetView(name);
    storage::View y = b.GetView(name);
    ASSERT_EQ(x.Size(), y.Size()) << name;
    for (std::size_t r = 0; r < x.Size(); ++r) {
      for (std::size_t c = 0; c < x.ColumnCount(); ++c) {
        EXPECT_EQ(x.Get(r, c), y.Get(r, c)) << name << " row " << r << " column " << x.ColumnAt(c).name;
      }
    }
  }
}

class DumpConvertTest : public ::testing::Test {
 protected:
  Outcome Run(const std::string& name, const std::string& text) {
    test::WriteFile(dir_ / name, text);
    return DumpImporter(platform_).Convert(dir_ / name);
  }
  Storage Open(const fs::path& path) {
    auto opened = Storage::Open(path, Storage::Mode::ReadOnly);
    EXPECT_TRUE(opened.ok()) << opened.status().message();
    return std::move(opened).value();
  }
  std::size_t FileCount() {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(dir_.path())) n += e.is_regular_file() ? 1 : 0;
    return n;
  }
  test::TempDir dir_;
  platform::ScriptedPlatform platform_;
};

TEST_F(DumpConvertTest, CruiseFileRoundTripsThroughItsDump) {
  {
    auto made = Storage::Open(dir_ / "orig.crz", Storage::Mode::ReadWrite);
    ASSERT_TRUE(made.ok());
    auto t = made->GetAs("TreeTable[Stratum:S,Tree:S,Cnt:I,KPI:L,DBH:F,Form:D,Remarks:S]");
    ASSERT_TRUE(t.ok());
    const std::vector<std::vector<Value>> rows = {
        {std::string(" 7"), std::string("a,b\nc"), std::int32_t{-5}, std::int64_t{9000000000LL}, 12.3f, 0.1,
         std::string("  ")},
        {std::string(""), std::string("x!y^z"), std::numeric_limits<std::int32_t>::min(),
         std::numeric_limits<std::int64_t>::min(), -0.5f, 1.0 / 3.0, std::string("plain")},
        {std::string(std::size_t{1500}, 'w'), std::string("  lead"), std::int32_t{0}, std::int64_t{0}, 0.0f, 0.0,
         std::string("")},
    };
    for (const auto& row : rows) {
      const long r = t->Add();
      for (std::size_t c = 0; c < row.size(); ++c) ASSERT_TRUE(t->Set(static_cast<std::size_t>(r), c, row[c]));
    }
    auto e = made->GetAs("EmptyTable[A:S,B:I]");
    ASSERT_TRUE(e.ok());
    ASSERT_TRUE(made->Commit());
  }
  Storage orig = Open(dir_ / "orig.crz");
  std::string dump = DumpOf(orig);
  const Outcome outcome = Run("sale.crz.dmp", dump);
  ASSERT_TRUE(outcome.ok()) << (outcome.messages.empty() ? "" : outcome.messages[0].text);
  ASSERT_EQ(outcome.written, (std::vector<fs::path>{dir_ / "sale.crz"}));
  Storage back = Open(dir_ / "sale.crz");
  EXPECT_EQ(back.Description(), orig.Description());
  auto trees = back.GetView("TreeTable");
  ASSERT_EQ(trees.Size(), 3u);
  EXPECT_EQ(trees.GetText(0, 0), " 7");
  EXPECT_EQ(trees.GetText(0, 1), "a,b\nc");
  EXPECT_EQ(trees.GetText(1, 1), "x\ny,z");  // "!" and "^" in the text decode as line feed and comma
  EXPECT_EQ(trees.GetText(0, 6), "  ");
  EXPECT_EQ(trees.GetText(1, 0), "");
  EXPECT_EQ(trees.GetText(2, 0).size(), 1500u);
  EXPECT_EQ(trees.GetText(2, 1), "  lead");
  EXPECT_EQ(std::get<std::int64_t>(trees.Get(0, 3)), 9000000000LL);
  EXPECT_EQ(std::get<std::int64_t>(trees.Get(1, 3)), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(std::get<std::int32_t>(trees.Get(1, 2)), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(test::ReadFile(dir_ / "sale.crz.dmp"), dump);
}

TEST_F(DumpConvertTest, ExactRoundTripWithoutAmbiguousText) {
  {
    auto made = Storage::Open(dir_ / "orig.crz", Storage::Mode::ReadWrite);
    ASSERT_TRUE(made.ok());
    auto t = made->GetAs("CruiseTable[CruiseNo:S,Region:S,Count:L,DBH:F,Area:D,Year:I]");
    auto g = made->GetAs("GlobalConfigurationTable[Block:S,Key:S,Value:S]");
    ASSERT_TRUE(t.ok() && g.ok());
    for (int i = 0; i < 50; ++i) {
      storage::Row row;
      row.Set("CruiseNo", std::string(i % 7 == 0 ? "" : " " + std::to_string(i)))
          .Set("Region", std::string(i % 3 == 0 ? "a,b" : "06\nx"))
          .Set("Count", std::int64_t{5000000000LL} * (i - 25))
          .Set("DBH", 0.1f * static_cast<float>(i))
          .Set("Area", 1.0 / (i + 1))
          .Set("Year", std::int32_t{1990 + i});
      t->Add(row);
    }
    storage::Row setting;
    setting.Set("Block", std::string("General")).Set("Key", std::string("StructureVersion")).Set("Value", std::string("2010.03.18"));
    g->Add(setting);
    ASSERT_TRUE(made->Commit());
  }
  Storage orig = Open(dir_ / "orig.crz");
  ASSERT_TRUE(Run("copy.crz.dmp", DumpOf(orig)).ok());
  Storage back = Open(dir_ / "copy.crz");
  ExpectSameStorage(orig, back);
}

TEST_F(DumpConvertTest, LayoutCases) {
  const std::string dump =
      "stray line before any table\n"
      "\r\n"
      "[T]\r\n"
      "T[A:S,N:I,L:L,F:F,D:D]\r\n"
      "A,N,L,F,D\r\n"
      "a^b!c,1,2,3.5,4.25\r\n"
      " ,  ,,,\r\n"
      "  ,7\r\n"
      "x,1,2,3,4,surplus\r\n"
      "[U]\n"
      "U[X:S]\n"
      "X\n"
      "u1\n"
      "[T again]\n"
      "T[A:S,N:I,L:L,F:F,D:D]\n"
      "A,N,L,F,D\n"
      "last,9,9,9,9";
  const Outcome outcome = Run("lay.crz.dmp", dump);
  ASSERT_TRUE(outcome.ok());
  ASSERT_EQ(outcome.messages.size(), 1u);  // the stray line
  EXPECT_EQ(outcome.messages[0].caption, "WARNING");
  EXPECT_NE(outcome.messages[0].text.find("1 line(s) before the first table"), std::string::npos);
  Storage s = Open(dir_ / "lay.crz");
  EXPECT_EQ(s.Description(), "T[A:S,N:I,L:L,F:F,D:D],U[X:S]");
  auto t = s.GetView("T");
  ASSERT_EQ(t.Size(), 5u);
  EXPECT_EQ(t.GetText(0, 0), "a,b\nc");
  EXPECT_EQ(std::get<std::int32_t>(t.Get(0, 1)), 1);
  EXPECT_EQ(std::get<std::int64_t>(t.Get(0, 2)), 2);
  EXPECT_EQ(std::get<float>(t.Get(0, 3)), 3.5f);
  EXPECT_EQ(std::get<double>(t.Get(0, 4)), 4.25);
  EXPECT_EQ(t.GetText(1, 0), "");    // one blank
  EXPECT_EQ(t.GetText(2, 0), "  ");  // two blanks stay
  EXPECT_EQ(std::get<std::int32_t>(t.Get(2, 1)), 7);
  EXPECT_EQ(std::get<double>(t.Get(2, 4)), 0.0);  // missing values
  EXPECT_EQ(t.GetText(3, 0), "x");
  EXPECT_EQ(std::get<double>(t.Get(3, 4)), 4.0);  // surplus ignored
  EXPECT_EQ(t.GetText(4, 0), "last");             // announced twice: appended
  EXPECT_EQ(s.GetView("U").GetText(0, 0), "u1");
}

TEST_F(DumpConvertTest, TargetNameDropsOnlyTheFinalDmp) {
  EXPECT_EQ(DumpImporter::TargetOf("/a/x.dmp/sale.crz.dmp"), fs::path("/a/x.dmp/sale.crz"));
  EXPECT_EQ(DumpImporter::TargetOf("/a/SALE.CRZ.DMP"), fs::path("/a/SALE.CRZ"));
  EXPECT_EQ(DumpImporter::TargetOf("/a/s.dmp.crz.Dmp"), fs::path("/a/s.dmp.crz"));
  EXPECT_EQ(DumpImporter::TargetOf("/a/sale.crz"), fs::path());
  EXPECT_EQ(DumpImporter::TargetOf("/a/.dmp"), fs::path());

  const std::string dump = "[T]\nT[A:S]\nA\nv\n";
  const Outcome outcome = Run("SALE.CRZ.DMP", dump);
  ASSERT_TRUE(outcome.ok());
  EXPECT_EQ(test::ReadFile(dir_ / "SALE.CRZ.DMP"), dump);  // the input is never the target
  EXPECT_EQ(Open(dir_ / "SALE.CRZ").GetView("T").GetText(0, 0), "v");
}

TEST_F(DumpConvertTest, ExistingTargetReplacedOnlyWhenCompleteAndAgreed) {
  test::WriteFile(dir_ / "s.crz", "old");
  platform_.QueueAnswer(platform::Button::kNo);
  Outcome outcome = Run("s.crz.dmp", "[T]\nT[A:S]\nA\nv\n");
  EXPECT_EQ(outcome.result, Result::kDeclined);
  EXPECT_EQ(platform_.messages().at(0).text, "Cruise File exists \nDO YOU WANT TO DELETE IT?");
  EXPECT_EQ(test::ReadFile(dir_ / "s.crz"), "old");

  // Yes, then a description the engine refuses: the old file stays.
  platform_.QueueAnswer(platform::Button::kYes);
  outcome = Run("s.crz.dmp", "[T]\nT[A:S]\nA\nv\n[Bad]\nBad[A:Q]\nA\n");
  EXPECT_EQ(outcome.result, Result::kRefused);
  EXPECT_NE(outcome.messages.at(0).text.find("Bad[A:Q]"), std::string::npos);
  EXPECT_EQ(test::ReadFile(dir_ / "s.crz"), "old");
  EXPECT_EQ(FileCount(), 2u);  // no temporary left

  platform_.QueueAnswer(platform::Button::kYes);
  outcome = Run("s.crz.dmp", "[T]\nT[A:S]\nA\nnew\n");
  ASSERT_TRUE(outcome.ok());
  EXPECT_EQ(Open(dir_ / "s.crz").GetView("T").GetText(0, 0), "new");
}

TEST_F(DumpConvertTest, BadInputsCreateNothing) {
  Outcome outcome = DumpImporter(platform_).Convert(dir_ / "none.crz.dmp");
  EXPECT_EQ(outcome.result, Result::kFailed);
  EXPECT_NE(outcome.messages.at(0).text.find("cannot be read: no such file"), std::string::npos);
  fs::create_directories(dir_ / "dir.crz.dmp");
  outcome = DumpImporter(platform_).Convert(dir_ / "dir.crz.dmp");
  EXPECT_NE(outcome.messages.at(0).text.find("cannot be read"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "dir.crz"));

  fs::create_directories(dir_ / "f.crz");  // the target is a folder
  outcome = Run("f.crz.dmp", "[T]\nT[A:S]\nA\nv\n");
  EXPECT_EQ(outcome.result, Result::kRefused);
  EXPECT_TRUE(fs::is_directory(dir_ / "f.crz"));

  for (const char* text : {"", "\n\n", "no table here\n"}) {
    outcome = Run("empty.crz.dmp", text);
    EXPECT_EQ(outcome.result, Result::kRefused);
    EXPECT_NE(outcome.messages.at(0).text.find("holds no table"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "empty.crz"));
  }
  outcome = Run("nodesc.crz.dmp", "[T]\n");
  EXPECT_EQ(outcome.result, Result::kRefused);
  EXPECT_FALSE(fs::exists(dir_ / "nodesc.crz"));

  std::string binary;
  for (int i = 0; i < 20000; ++i) binary += static_cast<char>((i * 7919) & 0xff);
  outcome = Run("bin.crz.dmp", binary);
  if (!outcome.ok()) {
    EXPECT_FALSE(fs::exists(dir_ / "bin.crz"));
  }
  EXPECT_EQ(test::ReadFile(dir_ / "bin.crz.dmp"), binary);
}

}  // namespace
}  // namespace sw::convert
