// Sorting large views: the order SortOn gives equals the cell-by-cell
// comparison rules (text without regard to A-Z case, unsigned bytes, prefix
// first; numbers signed; -0 equal to 0; NaN last), and Reorder puts a stored
// table into that order.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "storage/storage.h"
#include "test_util.h"

namespace sw::storage {
namespace {

// The comparison rules, written out independently of the engine.
int CompareNumbers(double a, double b) {
  const bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return na == nb ? 0 : (na ? 1 : -1);
  return a < b ? -1 : (a > b ? 1 : 0);
}

struct RowValues {
  std::string s;
  std::int32_t i;
  float f;
  double d;
  std::string t;
};

int CompareRows(const RowValues& a, const RowValues& b, const std::vector<int>& order) {
  for (int c : order) {
    int r = 0;
    switch (c) {
      case 0: r = CompareText(a.s, b.s); break;
      case 1: r = a.i < b.i ? -1 : (a.i > b.i ? 1 : 0); break;
      case 2: r = CompareNumbers(a.f, b.f); break;
      case 3: r = CompareNumbers(a.d, b.d); break;
      case 4: r = CompareText(a.t, b.t); break;
    }
    if (r != 0) return r;
  }
  return 0;
}

// SortOn(keys) puts the rows in the order CompareRows gives for `order` (the
// value indexes of those keys), keeping equal rows in their base order.
void ExpectSortedBy(const View& v, const std::vector<RowValues>& rows, const std::vector<std::string>& keys,
                    const std::vector<int>& order) {
  View sorted = v.SortOn(keys).value();
  ASSERT_EQ(sorted.Size(), rows.size());
  for (std::size_t r = 1; r < sorted.Size(); ++r) {
    const std::size_t a = sorted.BaseIndex(r - 1), b = sorted.BaseIndex(r);
    const int c = CompareRows(rows[a], rows[b], order);
    ASSERT_TRUE(c < 0 || (c == 0 && a < b)) << "rows " << a << " and " << b << " out of order at " << r;
  }
}

TEST(SortOrder, MatchesTheComparisonRulesOnRandomRows) {
  std::mt19937 random(11);
  const std::vector<std::string> texts{"", " ", "a", "A", "ab", "aB", "abc", "b", "Z", "z", "[", "_", "`",
                                       "~", "\x01", std::string("\0x", 2), "\xC9", "\xE9", "10", "9", "a "};
  const std::vector<float> floats{0.0f, -0.0f, 1.5f, -1.5f, NAN, INFINITY, -INFINITY, 1e-40f};
  const std::vector<double> doubles{0.0, -0.0, 2.25, -2.25, NAN, 1e300, -1e-300};
  std::vector<RowValues> rows;
  View v;
  auto opened = Storage::Open("/nonexistent-dir/none.mk4", Storage::Mode::ReadOnly);
  ASSERT_TRUE(opened);
  auto view = opened->GetAs("v[s:S,i:I,f:F,d:D,t:S]");
  ASSERT_TRUE(view);
  v = *view;
  auto s = v.Bind(StringColumn("s"));
  auto i = v.Bind(IntColumn("i"));
  auto f = v.Bind(FloatColumn("f"));
  auto d = v.Bind(DoubleColumn("d"));
  auto t = v.Bind(StringColumn("t"));
  for (int r = 0; r < 3000; ++r) {
    RowValues row{texts[random() % texts.size()], static_cast<std::int32_t>(random() % 7) - 3,
                  floats[random() % floats.size()], doubles[random() % doubles.size()],
                  texts[random() % texts.size()]};
    const auto at = static_cast<std::size_t>(v.Add());
    ASSERT_TRUE(s.Set(at, row.s) && i.Set(at, row.i) && f.Set(at, row.f) && d.Set(at, row.d) && t.Set(at, row.t));
    rows.push_back(row);
  }
  const std::vector<std::pair<std::vector<std::string>, std::vector<int>>> sorts{
      {{"s"}, {0, 1, 2, 3, 4}}, {{"f", "s"}, {2, 0, 1, 3, 4}}, {{"d", "t", "i"}, {3, 4, 1, 0, 2}}, {{}, {0, 1, 2, 3, 4}}};
  for (const auto& [keys, order] : sorts) {
    SCOPED_TRACE(keys.empty() ? "all columns" : keys.front());
    ExpectSortedBy(v, rows, keys, order);
  }
}

// Keys whose encodings share long leading runs and differ only around and
// past the bytes the sort keeps beside each row (shorter keys, zero and one
// bytes, case) still sort by every byte, then by the next column.
TEST(SortOrder, LongSharedPrefixesSortByEveryByte) {
  std::mt19937 random(5);
  const std::string stem = "Stratum 01 Unit 002 Plot 0003 Tree";
  const std::vector<std::string> tails{"", "a", "A", "b", std::string("\0", 1), "\x01", "\x02", "aa", "a\x01"};
  auto opened = Storage::Open("/nonexistent-dir/none.mk4", Storage::Mode::ReadOnly);
  ASSERT_TRUE(opened);
  View v = opened->GetAs("v[s:S,t:S,i:I]").value();
  auto s = v.Bind(StringColumn("s"));
  auto t = v.Bind(StringColumn("t"));
  auto i = v.Bind(IntColumn("i"));
  std::vector<RowValues> rows;
  for (int r = 0; r < 4000; ++r) {
    const std::size_t cut = random() % (stem.size() + 1);  // differ at any byte of the stem
    RowValues row{stem.substr(0, cut) + tails[random() % tails.size()], static_cast<std::int32_t>(random() % 3), 0, 0,
                  stem.substr(0, random() % 12) + tails[random() % tails.size()]};
    const auto at = static_cast<std::size_t>(v.Add());
    ASSERT_TRUE(s.Set(at, row.s) && t.Set(at, row.t) && i.Set(at, row.i));
    rows.push_back(row);
  }
  for (const auto& [keys, order] : std::vector<std::pair<std::vector<std::string>, std::vector<int>>>{
           {{"s", "t"}, {0, 4, 1}}, {{"t", "s"}, {4, 0, 1}}, {{"i", "s"}, {1, 0, 4}}}) {
    SCOPED_TRACE(keys.front());
    ExpectSortedBy(v, rows, keys, order);
  }
}

// A table read from a file (texts still as the file holds them) and one
// changed in memory, each with many more rows than are fetched ahead and
// with empty texts among them, keep every text with its row when reordered,
// and the reordered rows are what a commit writes.
TEST(Reorder, ManyRowsFromAFileAndFromMemory) {
  testing::ScratchDir dir;
  const auto path = dir / "reorder.mk4";
  const std::size_t rows = 1000;
  auto text_of = [](std::size_t r) {
    return r % 7 == 0 ? std::string() : std::string(r % 23, 'a') + std::to_string(r);
  };
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    View v = s->GetAs("t[k:S,n:I]").value();
    for (std::size_t r = 0; r < rows; ++r) v.Add(Row().Set("k", text_of(r)).Set("n", static_cast<std::int32_t>(r)));
    ASSERT_TRUE(s->Commit());
  }
  std::vector<std::size_t> order(rows);
  for (std::size_t r = 0; r < rows; ++r) order[r] = (r * 617) % rows;  // 617 is prime to 1000
  for (bool changed_first : {false, true}) {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    View v = s->GetView("t");
    if (changed_first) {  // the column leaves the file's form
      ASSERT_TRUE(v.Bind(StringColumn("k")).Set(0, text_of(0)));
    }
    const auto n = v.Bind(IntColumn("n"));
    std::vector<std::int32_t> before(rows);
    for (std::size_t r = 0; r < rows; ++r) before[r] = n.Get(r);
    ASSERT_TRUE(v.Reorder(order));
    ASSERT_TRUE(s->Commit());
    auto back = Storage::Open(path, Storage::Mode::ReadOnly);
    View t = back->GetView("t");
    for (std::size_t r = 0; r < rows; ++r) {
      ASSERT_EQ(t.Bind(IntColumn("n")).Get(r), before[order[r]]) << r;
      ASSERT_EQ(t.Bind(StringColumn("k")).Get(r), text_of(static_cast<std::size_t>(before[order[r]]))) << r;
    }
  }
}

TEST(Reorder, PutsAStoredTableIntoSortedOrder) {
  auto opened = Storage::Open("/nonexistent-dir/none.mk4", Storage::Mode::ReadOnly);
  ASSERT_TRUE(opened);
  View v = opened->GetAs("t[k:S,n:I,x:D,sub[q:S]]").value();
  const std::vector<std::string> keys{"d", "b", "E", "a", "c"};
  for (std::size_t r = 0; r < keys.size(); ++r) {
    v.Add(Row().Set("k", keys[r]).Set("n", static_cast<std::int32_t>(r)).Set("x", 0.5 * static_cast<double>(r)));
    View sub = v.Subview(r, SubviewColumn("sub"));
    sub.Add(Row().Set("q", "of " + keys[r]));
  }
  View sorted = v.SortOn({"k"}).value();
  std::vector<std::size_t> order;
  for (std::size_t r = 0; r < sorted.Size(); ++r) order.push_back(sorted.BaseIndex(r));
  ASSERT_TRUE(v.Reorder(order));
  const std::vector<std::string> expected{"a", "b", "c", "d", "E"};
  auto k = v.Bind(StringColumn("k"));
  auto n = v.Bind(IntColumn("n"));
  auto x = v.Bind(DoubleColumn("x"));
  for (std::size_t r = 0; r < expected.size(); ++r) {
    EXPECT_EQ(k.Get(r), expected[r]);
    EXPECT_EQ(keys[static_cast<std::size_t>(n.Get(r))], expected[r]) << "the row moved whole";
    EXPECT_DOUBLE_EQ(x.Get(r), 0.5 * n.Get(r));
    EXPECT_EQ(v.Subview(r, SubviewColumn("sub")).GetText(0, 0), "of " + expected[r]);
  }
  EXPECT_FALSE(v.Reorder({0, 1, 2}));           // not every row
  EXPECT_FALSE(v.Reorder({0, 1, 2, 3, 3}));     // a row twice
  EXPECT_FALSE(v.Reorder({0, 1, 2, 3, 9}));     // no such row
  EXPECT_FALSE(sorted.Reorder({4, 3, 2, 1, 0}));  // derived views are not reordered
  EXPECT_EQ(k.Get(0), "a");
}

}  // namespace
}  // namespace sw::storage
