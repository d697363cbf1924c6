// Whole-row replace: within one view (the source cells live in the arena
// being written), across views with different columns, through derived
// views, with subviews; each result is committed, reopened and read back.
#include <gtest/gtest.h>

#include <string>

#include "test_util.h"

namespace sw::storage::testing {
namespace {

const StringColumn kText("text");
const IntColumn kNum("num");
const DoubleColumn kReal("real");

std::string Pattern(std::size_t n, char seed) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (seed + i * 7) % 26);
  return s;
}

struct Opened {
  Storage storage;
  View view;
};

Opened Reopen(const std::filesystem::path& path, std::string_view name) {
  auto s = Storage::Open(path, Storage::Mode::ReadOnly);
  EXPECT_TRUE(s.ok()) << s.status().message();
  Storage storage = std::move(s.value());
  View v = storage.GetView(name);
  return Opened{std::move(storage), v};
}

TEST(Replace, LongTextOverShortTextInTheSameView) {
  ScratchDir dir;
  const auto path = dir / "same.mk4";
  const std::string long_text = Pattern(200, 3);
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    View v = s->GetAs("v[text:S,num:I,real:D]").value();
    v.Add(Row().Set(kText, "x").Set(kNum, 1).Set(kReal, 0.5));
    v.Add(Row().Set(kText, long_text).Set(kNum, 2).Set(kReal, 2.25));
    ASSERT_TRUE(v.Replace(0, v, 1).ok());
    EXPECT_EQ(v.Bind(kText).Get(0), long_text);
    EXPECT_EQ(v.Bind(kText).Get(1), long_text);
    ASSERT_TRUE(s->Commit().ok());
  }
  Opened back = Reopen(path, "v");
  ASSERT_EQ(back.view.Size(), 2u);
  for (std::size_t r = 0; r < 2; ++r) {
    EXPECT_EQ(back.view.Bind(kText).Get(r), long_text) << r;
    EXPECT_EQ(back.view.Bind(kNum).Get(r), 2) << r;
    EXPECT_EQ(back.view.Bind(kReal).Get(r), 2.25) << r;
  }
}

// Items of a megabyte copied row to row make the text arena grow (and move)
// while the source item is being read from it.
TEST(Replace, GrowingArenaWhileCopyingWithinTheView) {
  ScratchDir dir;
  const auto path = dir / "grow.mk4";
  const std::string big = Pattern(1 << 20, 5);
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    View v = s->GetAs("v[text:S,num:I]").value();
    v.Add(Row().Set(kText, big).Set(kNum, 7));
    for (int i = 1; i < 9; ++i) v.Add(Row().Set(kText, "y").Set(kNum, i));
    for (std::size_t r = 1; r < 9; ++r) {
      ASSERT_TRUE(v.Replace(r, v, r - 1).ok());
      ASSERT_EQ(v.Bind(kText).Get(r), big) << r;
    }
    ASSERT_TRUE(s->Commit().ok());
  }
  Opened back = Reopen(path, "v");
  ASSERT_EQ(back.view.Size(), 9u);
  for (std::size_t r = 0; r < 9; ++r) {
    EXPECT_EQ(back.view.Bind(kText).Get(r), big) << r;
    EXPECT_EQ(back.view.Bind(kNum).Get(r), 7) << r;
  }
}

TEST(Replace, AcrossViewsMatchesColumnsByNameAndDefaultsTheRest) {
  ScratchDir dir;
  const auto path = dir / "across.mk4";
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    View target = s->GetAs("t[text:S,num:I,real:D]").value();
    View source = s->GetAs("s[NUM:L,extra:S,TEXT:S]").value();
    target.Add(Row().Set(kText, "old").Set(kNum, 1).Set(kReal, 9.5));
    source.Add(Row().Set("NUM", std::int64_t{42}).Set("extra", std::string("e")).Set("TEXT", std::string("new")));
    ASSERT_TRUE(target.Replace(0, source, 0).ok());
    EXPECT_EQ(target.Bind(kText).Get(0), "new");
    EXPECT_EQ(target.Bind(kNum).Get(0), 42);
    EXPECT_EQ(target.Bind(kReal).Get(0), 0.0);  // the source has no such column
    // The source's extra column is readable until the commit drops it.
    EXPECT_EQ(target.Bind(StringColumn("extra")).Get(0), "e");
    ASSERT_TRUE(s->Commit().ok());
  }
  Opened back = Reopen(path, "t");
  EXPECT_EQ(back.view.Describe(), "text:S,num:I,real:D");
  EXPECT_EQ(back.view.Bind(kText).Get(0), "new");
  EXPECT_EQ(back.view.Bind(kNum).Get(0), 42);
  EXPECT_EQ(back.view.Bind(kReal).Get(0), 0.0);
  EXPECT_EQ(back.view.ColumnIndex("extra"), -1);
}

// A source column the target lacks whose cells are all default changes no
// value; the commit that then writes nothing still drops the column.
TEST(Replace, DefaultOnlyExtraColumnIsDroppedByACommitThatWritesNothing) {
  ScratchDir dir;
  const auto path = dir / "extra.mk4";
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    s->GetAs("t[num:I]").value().Add();
    s->GetAs("s[num:I,extra:S]").value().Add();
    ASSERT_TRUE(s->Commit().ok());
  }
  const std::string before = ReadAll(path);
  auto s = Storage::Open(path, Storage::Mode::ReadWrite);
  ASSERT_TRUE(s.ok());
  View t = s->GetView("t");
  ASSERT_TRUE(t.Replace(0, s->GetView("s"), 0).ok());
  EXPECT_EQ(t.ColumnCount(), 2u);
  ASSERT_TRUE(s->Commit().ok());
  EXPECT_EQ(s->GetView("t").ColumnCount(), 1u);
  EXPECT_EQ(ReadAll(path), before);
}

TEST(Replace, ThroughADerivedViewWritesTheBaseRow) {
  ScratchDir dir;
  const auto path = dir / "derived.mk4";
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    View v = s->GetAs("v[text:S,num:I]").value();
    v.Add(Row().Set(kText, "c").Set(kNum, 3));
    v.Add(Row().Set(kText, "a").Set(kNum, 1));
    v.Add(Row().Set(kText, "b").Set(kNum, 2));
    View sorted = v.SortOn({"text"}).value();  // a, b, c = base rows 1, 2, 0
    ASSERT_TRUE(sorted.Replace(0, sorted, 2).ok());  // base row 1 takes base row 0's values
    ASSERT_TRUE(s->Commit().ok());
  }
  Opened back = Reopen(path, "v");
  ASSERT_EQ(back.view.Size(), 3u);
  EXPECT_EQ(back.view.Bind(kText).Get(0), "c");
  EXPECT_EQ(back.view.Bind(kText).Get(1), "c");
  EXPECT_EQ(back.view.Bind(kNum).Get(1), 3);
  EXPECT_EQ(back.view.Bind(kText).Get(2), "b");
}

TEST(Replace, SubviewsAreCopiedNotShared) {
  ScratchDir dir;
  const auto path = dir / "sub.mk4";
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    View v = s->GetAs("v[text:S,kids[text:S]]").value();
    v.Add(Row().Set(kText, "first"));
    v.Add(Row().Set(kText, "second"));
    View kids = v.Subview(1, SubviewColumn("kids"));
    kids.Add(Row().Set(kText, Pattern(300, 1)));
    kids.Add(Row().Set(kText, "k2"));
    ASSERT_TRUE(v.Replace(0, v, 1).ok());
    // A later change of the source's subview leaves the copy alone.
    ASSERT_TRUE(kids.Bind(kText).Set(1, "changed").ok());
    ASSERT_TRUE(s->Commit().ok());
  }
  Opened back = Reopen(path, "v");
  ASSERT_EQ(back.view.Size(), 2u);
  View copied = back.view.Subview(0, SubviewColumn("kids"));
  View original = back.view.Subview(1, SubviewColumn("kids"));
  ASSERT_EQ(copied.Size(), 2u);
  EXPECT_EQ(copied.Bind(kText).Get(0), Pattern(300, 1));
  EXPECT_EQ(copied.Bind(kText).Get(1), "k2");
  EXPECT_EQ(original.Bind(kText).Get(1), "changed");
  EXPECT_EQ(back.view.Bind(kText).Get(0), "second");
}

TEST(Replace, RowsOutsideEitherViewAreRefusedAndChangeNothing) {
  ScratchDir dir;
  auto storage = Storage::Open(dir / "never_written.mk4", Storage::Mode::ReadWrite);
  ASSERT_TRUE(storage.ok());
  View a = storage->GetAs("a[text:S]").value();
  a.Add(Row().Set(kText, "kept"));
  EXPECT_FALSE(a.Replace(1, a, 0).ok());
  EXPECT_FALSE(a.Replace(0, a, 5).ok());
  EXPECT_EQ(a.Bind(kText).Get(0), "kept");
  EXPECT_EQ(a.Size(), 1u);
}

}  // namespace
}  // namespace sw::storage::testing

namespace sw::storage::testing {
namespace {

// Peek gives what Get gives: the stored bytes of a text column read from the
// file (in place), a number column's text through the scratch string, the
// default outside the rows and for a missing column, and base rows through
// a sorted view.
TEST(Peek, ReadsWhatGetReadsWithoutACopy) {
  ScratchDir dir;
  const auto path = dir / "peek.mk4";
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    View v = s->GetAs("v[text:S,num:I,real:D]").value();
    for (int i = 0; i < 40; ++i)
      v.Add(Row()
                .Set(kText, Pattern(static_cast<std::size_t>(i % 7), static_cast<char>(i)))
                .Set(kNum, 40 - i)
                .Set(kReal, i / 4.0));
    ASSERT_TRUE(s->Commit().ok());
  }
  Opened back = Reopen(path, "v");
  const BoundString text = back.view.Bind(kText);
  const BoundString num_as_text = back.view.Bind(StringColumn("num"));
  const BoundString missing = back.view.Bind(StringColumn("none"));
  std::string scratch;
  for (std::size_t r : {0u, 5u, 39u, 17u, 16u, 3u}) {  // in order and out of order
    EXPECT_EQ(text.Peek(r, scratch), text.Get(r)) << r;
    EXPECT_EQ(num_as_text.Peek(r, scratch), std::to_string(40 - r)) << r;
    EXPECT_EQ(missing.Peek(r, scratch), "") << r;
  }
  EXPECT_EQ(text.Peek(40, scratch), "");
  const View sorted = back.view.SortOn({"num"}).value();
  std::string sorted_scratch;
  EXPECT_EQ(sorted.Bind(kText).Peek(0, sorted_scratch), text.Get(39));
  EXPECT_EQ(sorted.Bind(StringColumn("real")).Peek(0, sorted_scratch), "9.75");
}

}  // namespace
}  // namespace sw::storage::testing
