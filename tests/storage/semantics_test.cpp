// The engine's semantics: comparison, sort, select, find, project, group by,
// restructure, defaults, row changes and derived views.
#include <gtest/gtest.h>

#include "test_util.h"

namespace sw::storage::testing {
namespace {

const StringColumn kX("X");
const IntColumn kN("N");
const StringColumn kA("A");

struct Fixture {
  ScratchDir dir;
  Storage storage;
  Fixture() : storage(std::move(Storage::Open(dir / "s.mk4", Storage::Mode::ReadWrite).value())) {}
  View Make(const std::string& desc) { return storage.GetAs(desc).value(); }
};

std::vector<std::string> Texts(const View& v, std::size_t col) {
  std::vector<std::string> out;
  for (std::size_t r = 0; r < v.Size(); ++r) out.push_back(v.GetText(r, col));
  return out;
}

TEST(Compare, TextFoldsOnlyAsciiLettersAndOrdersBytes) {
  const std::vector<std::string> order = {"", " ", "10", "9", "[", "_", "`", "a", "a ", "ab", "abc", "b", "Z", "~", "\xC9", "\xE9"};
  for (std::size_t i = 0; i + 1 < order.size(); ++i) EXPECT_LT(CompareText(order[i], order[i + 1]), 0) << i;
  EXPECT_TRUE(EqualText("df", "DF"));
  EXPECT_FALSE(EqualText("df", "df "));
  EXPECT_FALSE(EqualText("\xC9", "\xE9"));
  EXPECT_LT(CompareText("[", "A"), 0);
}

TEST(Sort, BreaksTiesOnTheRemainingColumnsThenBasePosition) {
  Fixture f;
  View v = f.Make("v[X:S,N:I]");
  for (auto [x, n] : std::vector<std::pair<const char*, int>>{{"c", 1}, {"a", 1}, {"b", 1}, {"a", 0}, {"c", 0}, {"b", 0}}) {
    v.Add(Row().Set(kX, x).Set(kN, n));
  }
  View s = v.SortOn({"N"});
  // Sort columns come first in the sorted view.
  EXPECT_EQ(s.ColumnAt(0).name, "N");
  std::vector<std::string> got;
  for (std::size_t r = 0; r < s.Size(); ++r) got.push_back(s.GetText(r, 1) + s.GetText(r, 0));
  EXPECT_EQ(got, (std::vector<std::string>{"a0", "b0", "c0", "a1", "b1", "c1"}));
  EXPECT_EQ(s.BaseIndex(0), 3u);
}

TEST(Sort, PlotTableOrderExample) {
  Fixture f;
  View d = f.Make("d[TableName:S,FieldType:S,Description:S,ColumnName:S,Order1:I]");
  const std::vector<std::tuple<const char*, const char*, const char*, int>> rows = {
      {"Stratum", "S", "Stratum code", 0}, {"CutUnit", "S", "Cutting unit", 0}, {"SlopePct", "F", "Slope percent", 0},
      {"Error", "I", "Error flag", 0},     {"Plot", "S", "Plot number", 2},     {"Area", "D", "Area", 1},
      {"Remarks", "S", "a remark", 0},     {"KPI", "L", "KPI", 0}};
  for (const auto& [c, t, desc, o] : rows) {
    d.Add(Row().Set("ColumnName", std::string(c)).Set("FieldType", std::string(t)).Set("Description", std::string(desc)).Set("Order1", std::int32_t{o}));
  }
  View s = d.SortOn({"Order1"});
  const int col = s.ColumnIndex("ColumnName");
  EXPECT_EQ(Texts(s, static_cast<std::size_t>(col)),
            (std::vector<std::string>{"SlopePct", "Error", "KPI", "Remarks", "CutUnit", "Stratum", "Area", "Plot"}));
}

TEST(Sort, ReverseAppliesToNamedColumnsOnly) {
  Fixture f;
  View v = f.Make("v[N:I,L:I]");
  for (auto [n, l] : std::vector<std::pair<int, int>>{{2, 1}, {1, 1}, {1, 2}, {2, 0}, {1, 2}, {2, 1}}) {
    v.Add(Row().Set("N", std::int32_t{n}).Set("L", std::int32_t{l}));
  }
  View s = v.SortOn({"N"}, {"L"});
  std::vector<std::string> got;
  for (std::size_t r = 0; r < s.Size(); ++r) got.push_back(s.GetText(r, 0) + s.GetText(r, 1));
  EXPECT_EQ(got, (std::vector<std::string>{"12", "12", "11", "21", "21", "20"}));
  // A sort column the view lacks is ignored.
  EXPECT_EQ(v.SortOn({"nope", "N"}).Size(), 6u);
}

View SelectExample(Fixture& f) {
  View v = f.Make("v[A:S]");
  for (const char* a : {"df", "DF", "df ", " df", "", "Df", "dfa"}) v.Add(Row().Set(kA, a));
  return v;
}

TEST(Select, MatchesTextWithoutRegardToCaseKeepingBaseOrder) {
  Fixture f;
  View v = SelectExample(f);
  View s = v.Select(Row().Set(kA, "DF"));
  ASSERT_EQ(s.Size(), 3u);
  EXPECT_EQ(s.BaseIndex(0), 0u);
  EXPECT_EQ(s.BaseIndex(1), 1u);
  EXPECT_EQ(s.BaseIndex(2), 5u);
  EXPECT_EQ(v.Select(Row().Set(kA, "")).Size(), 1u);
  EXPECT_EQ(v.Select(Row()).Size(), 7u);
  // A pattern column the view lacks compares as the default.
  EXPECT_EQ(v.Select(Row().Set("Missing", std::string())).Size(), 7u);
  EXPECT_EQ(v.Select(Row().Set("Missing", std::string("x"))).Size(), 0u);
}

TEST(Find, FirstMatchAtOrAfterStart) {
  Fixture f;
  View v = SelectExample(f);
  const Row p = Row().Set(kA, "df");
  EXPECT_EQ(v.Find(p), 0);
  EXPECT_EQ(v.Find(p, 1), 1);
  EXPECT_EQ(v.Find(p, 2), 5);
  EXPECT_EQ(v.Find(p, 6), -1);
  EXPECT_EQ(v.Find(Row().Set(kA, "zz")), -1);
  EXPECT_EQ(v.Find(Row(), 3), 3);
  EXPECT_EQ(v.Find(p, 100), -1);
}

TEST(GroupBy, OneRowPerKeyWithMembersInSortOrder) {
  Fixture f;
  View v = f.Make("t[Plot:S,Sp:S,PP:S,Num:I]");
  const std::vector<std::tuple<const char*, const char*, const char*, int>> rows = {
      {"2", "202", "01", 1}, {"1", "122", "01", 2}, {"10", "202", "01", 3}, {"1", "202", "01", 4}, {"3", "202", "02", 5}};
  for (const auto& [p, s, pp, n] : rows) {
    v.Add(Row().Set("Plot", std::string(p)).Set("Sp", std::string(s)).Set("PP", std::string(pp)).Set("Num", std::int32_t{n}));
  }
  View g = v.GroupBy({"Sp", "PP"}, "Trees");
  ASSERT_EQ(g.Size(), 3u);
  EXPECT_EQ(g.ColumnCount(), 3u);
  EXPECT_EQ(g.ColumnAt(2).name, "Trees");
  EXPECT_EQ(g.GetText(1, 0), "202");
  EXPECT_EQ(g.GetText(1, 1), "01");
  View members = g.Subview(1, 2);
  ASSERT_EQ(members.Size(), 3u);
  EXPECT_EQ(Texts(members, 0), (std::vector<std::string>{"1", "10", "2"}));
  EXPECT_EQ(members.ColumnIndex("Sp"), -1);
  // A grouping is a snapshot: later base changes do not reach it.
  v.Add(Row().Set("Sp", std::string("999")));
  EXPECT_EQ(g.Size(), 3u);
}

TEST(Project, ListedColumnsInListedOrderWritesReachTheBase) {
  Fixture f;
  View v = f.Make("v[A:S,B:I,C:S]");
  v.Add(Row().Set("A", std::string("a")).Set("B", std::int32_t{1}).Set("C", std::string("c")));
  View p = v.Project({"C", "nope", "A"});
  ASSERT_EQ(p.ColumnCount(), 2u);
  EXPECT_EQ(p.ColumnAt(0).name, "C");
  ASSERT_TRUE(p.Set(0, 1, Value(std::string("changed"))).ok());
  EXPECT_EQ(v.GetText(0, 0), "changed");
  EXPECT_FALSE(p.RemoveAt(0).ok());
  EXPECT_EQ(p.Add(), -1);
}

TEST(DerivedViews, FieldWritesForwardAndStructuralChangesAreRefused) {
  Fixture f;
  View v = SelectExample(f);
  View s = v.Select(Row().Set(kA, "df")).SortOn({"A"});
  auto a = s.Bind(kA);
  ASSERT_TRUE(a.present());
  const std::size_t base = s.BaseIndex(2);
  ASSERT_TRUE(a.Set(2, "written").ok());
  EXPECT_EQ(v.GetText(base, 0), "written");
  EXPECT_FALSE(s.InsertAt(0).ok());
  EXPECT_FALSE(s.SetSize(0).ok());
  EXPECT_EQ(v.Size(), 7u);
  View copy = s.Copy();
  EXPECT_FALSE(copy.IsDerived());
  EXPECT_EQ(copy.Size(), s.Size());
}

TEST(Rows, AddInsertRemoveSetSizeAndOutOfRange) {
  Fixture f;
  View v = f.Make("v[A:S,N:I,L:L,F:F,D:D,B:B]");
  EXPECT_EQ(v.Add(Row().Set(kA, "x")), 0);
  ASSERT_TRUE(v.InsertAt(0, Row().Set(kA, "y"), 2).ok());
  EXPECT_EQ(Texts(v, 0), (std::vector<std::string>{"y", "y", "x"}));
  ASSERT_TRUE(v.RemoveAt(1).ok());
  EXPECT_FALSE(v.RemoveAt(1, 5).ok());
  EXPECT_FALSE(v.InsertAt(9).ok());
  ASSERT_TRUE(v.SetSize(4).ok());
  EXPECT_EQ(v.GetText(3, 0), "");
  // Reads outside the rows give defaults; writes there are refused.
  auto n = v.Bind(kN);
  EXPECT_EQ(n.Get(99), 0);
  EXPECT_FALSE(n.Set(99, 1).ok());
  EXPECT_EQ(v.Bind(StringColumn("A")).Get(99), "");
  EXPECT_EQ(std::get<double>(v.Get(99, 4)), 0.0);
  ASSERT_TRUE(v.SetSize(0).ok());
  EXPECT_EQ(v.Bind(kA).Get(0), "");
}

TEST(Values, DefaultsRoundTripsAndConversions) {
  Fixture f;
  View v = f.Make("v[S:S,I:I,L:L,F:F,D:D]");
  v.Add();
  auto s = v.Bind(StringColumn("s"));
  auto i = v.Bind(IntColumn("I"));
  auto l = v.Bind(LongColumn("L"));
  auto fl = v.Bind(FloatColumn("F"));
  auto d = v.Bind(DoubleColumn("D"));
  EXPECT_EQ(s.Get(0), "");
  EXPECT_EQ(i.Get(0), 0);
  ASSERT_TRUE(i.Set(0, -2147483647 - 1).ok());
  ASSERT_TRUE(l.Set(0, INT64_MAX).ok());
  ASSERT_TRUE(fl.Set(0, 0.1f).ok());
  ASSERT_TRUE(d.Set(0, 1.0 / 3).ok());
  ASSERT_TRUE(s.Set(0, "trail  ").ok());
  ASSERT_TRUE(f.storage.Commit().ok());
  auto r = Storage::Open(f.dir / "s.mk4", Storage::Mode::ReadOnly);
  ASSERT_TRUE(r.ok());
  View w = r->GetView("V");
  EXPECT_EQ(w.Bind(StringColumn("S")).Get(0), "trail  ");
  EXPECT_EQ(w.Bind(IntColumn("I")).Get(0), INT32_MIN);
  EXPECT_EQ(w.Bind(LongColumn("L")).Get(0), INT64_MAX);
  EXPECT_EQ(w.Bind(FloatColumn("F")).Get(0), 0.1f);
  EXPECT_EQ(w.Bind(DoubleColumn("D")).Get(0), 1.0 / 3);
  // Reading with another type converts.
  EXPECT_EQ(w.Bind(StringColumn("I")).Get(0), "-2147483648");
  EXPECT_EQ(w.Bind(IntColumn("F")).Get(0), 0);
  EXPECT_EQ(w.Bind(StringColumn("D")).Get(0), "0.333333333333333");
}

TEST(Restructure, KeepsValuesByNameAddsDefaultsAndRenames) {
  Fixture f;
  View t = f.Make("T[A:S,key:S]");
  t.Add(Row().Set("A", std::string("a1")).Set("key", std::string("k1")));
  ASSERT_TRUE(f.storage.Commit().ok());
  // Same shape without regard to case: unchanged, stored spelling kept.
  ASSERT_TRUE(f.storage.GetAs("t[a:s,KEY:s]").ok());
  EXPECT_EQ(f.storage.Description(), "T[A:S,key:S]");
  View r = f.storage.GetAs("t[a:S,KEY:S,New:I]").value();
  EXPECT_EQ(f.storage.Description(), "t[a:S,KEY:S,New:I]");
  EXPECT_EQ(r.GetText(0, r.ColumnIndex("KEY")), "k1");
  EXPECT_EQ(r.GetText(0, r.ColumnIndex("New")), "0");
  ASSERT_TRUE(f.storage.Commit().ok());
  EXPECT_EQ(Dump(f.dir / "s.mk4"), "t[a:S,KEY:S,New:I]\nVIEW t\na:S\tKEY:S\tNew:I\na1\tk1\t0\n");
}

TEST(Restructure, HiddenColumnsStayReadableUntilCommitAndCanReturn) {
  Fixture f;
  View v = f.Make("v[A:S,B:S]");
  v.Add(Row().Set("A", std::string("a")).Set("B", std::string("b")));
  View w = f.storage.GetAs("v[A:S]").value();
  EXPECT_EQ(f.storage.Description(), "v[A:S]");
  ASSERT_EQ(w.ColumnCount(), 2u);
  EXPECT_EQ(w.GetText(0, static_cast<std::size_t>(w.ColumnIndex("B"))), "b");
  EXPECT_EQ(w.Describe(), "A:S");
  View back = f.storage.GetAs("v[B:S,A:S]").value();
  EXPECT_EQ(back.GetText(0, 0), "b");
  ASSERT_TRUE(f.storage.GetAs("v[A:S]").ok());
  ASSERT_TRUE(f.storage.Commit().ok());
  View after = f.storage.GetView("v");
  EXPECT_EQ(after.ColumnIndex("B"), -1);
  EXPECT_EQ(Dump(f.dir / "s.mk4"), "v[A:S]\nVIEW v\nA:S\na\n");
}

TEST(Restructure, ConvertsValuesWhenATypeLetterChanges) {
  Fixture f;
  View v = f.Make("v[a:I,s:S,d:D]");
  v.Add(Row().Set("a", std::int32_t{12}).Set("s", std::string("123")).Set("d", 2.75));
  ASSERT_TRUE(f.storage.Commit().ok());
  ASSERT_TRUE(f.storage.GetAs("v[a:F,s:I,d:S]").ok());
  ASSERT_TRUE(f.storage.Commit().ok());
  EXPECT_EQ(Dump(f.dir / "s.mk4"), "v[a:F,s:I,d:S]\nVIEW v\na:F\ts:I\td:S\n12\t123\t2.75\n");
}

TEST(Restructure, AdoptsTransientColumnsOfTheSameType) {
  Fixture f;
  View v = f.Make("G[Block:S,Key:S,sValue:S]");
  v.Add(Row().Set("sValue", std::string("old")));
  auto value = v.Bind(StringColumn("Value"));
  EXPECT_FALSE(value.present());
  ASSERT_TRUE(value.Set(0, "old").ok());
  ASSERT_TRUE(f.storage.GetAs("G[Block:S,Key:S,Value:S]").ok());
  ASSERT_TRUE(f.storage.Commit().ok());
  EXPECT_EQ(Dump(f.dir / "s.mk4"), "G[Block:S,Key:S,Value:S]\nVIEW G\nBlock:S\tKey:S\tValue:S\n\t\told\n");
}

TEST(Descriptions, ParsingRules) {
  Fixture f;
  EXPECT_FALSE(f.storage.GetAs("A[x:,B:S]").ok());
  EXPECT_FALSE(f.storage.GetAs("A[x:Q]").ok());
  ASSERT_TRUE(f.storage.GetAs("X[X:S,Y:I,x:I,Y:S]").ok());
  ASSERT_TRUE(f.storage.GetAs("Y[A:S").ok());
  ASSERT_TRUE(f.storage.GetAs("Z[").ok());
  ASSERT_TRUE(f.storage.GetAs("E[]").ok());
  ASSERT_TRUE(f.storage.GetAs("N[P,Q:iXX, R :d]trailing").ok());
  EXPECT_EQ(f.storage.Description(), "X[X:S,Y:I],Y[A:S],Z[:S],E[],N[P:S,Q:I, R :D]");
  // A bare name deletes the view.
  ASSERT_TRUE(f.storage.GetAs("y").ok());
  EXPECT_EQ(f.storage.Description(), "X[X:S,Y:I],Z[:S],E[],N[P:S,Q:I, R :D]");
  std::string deep = "v";
  for (int i = 0; i < 10000; ++i) deep += "[a";
  EXPECT_FALSE(f.storage.GetAs(deep).ok());
}

TEST(Views, ByNameWithoutRegardToCaseAndTransientUnknowns) {
  Fixture f;
  f.Make("Stuff[a:S]").Add(Row().Set("a", std::string("1")));
  EXPECT_EQ(f.storage.GetView("stuff").Size(), 1u);
  View unknown = f.storage.GetView("nothing");
  EXPECT_EQ(unknown.Size(), 0u);
  unknown.Add();
  EXPECT_FALSE(f.storage.HasView("nothing"));
  EXPECT_EQ(f.storage.ViewNames(), std::vector<std::string>{"Stuff"});
}

TEST(Subviews, NestedRowsAreWrittenAndReadBack) {
  Fixture f;
  View v = f.Make("shop[name:S,items[sku:S,qty:I]]");
  v.Add(Row().Set("name", std::string("north")));
  View items = v.Subview(0, SubviewColumn("items"));
  items.Add(Row().Set("sku", std::string("a1")).Set("qty", std::int32_t{3}));
  items.Add(Row().Set("sku", std::string("b2")));
  v.Add(Row().Set("name", std::string("south")));
  ASSERT_TRUE(f.storage.Commit().ok());
  EXPECT_EQ(Dump(f.dir / "s.mk4"), "shop[name:S,items[sku:S,qty:I]]\nVIEW shop\nname:S\titems:V\nnorth\t[2]\n>\ta1\t3\n>\tb2\t0\nsouth\t[0]\n");
}

}  // namespace
}  // namespace sw::storage::testing
