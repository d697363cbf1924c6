// KeyIndex: lookups and insertions across growth, first value kept, keys
// that differ only in bytes the hash may not separate, and the empty key.
#include "legacy/jobfile/key_index.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "legacy/jobfile/text_key.h"

namespace sw::legacy::jobfile {
namespace {

TEST(KeyIndex, EmptyIndexFindsNothing) {
  KeyIndex<int> index;
  EXPECT_EQ(index.Find("a"), nullptr);
  EXPECT_EQ(index.Find(""), nullptr);
  EXPECT_EQ(index.size(), 0u);
}

TEST(KeyIndex, FirstValueWinsAndPointerWrites) {
  KeyIndex<int> index;
  auto [first, added] = index.TryEmplace("key", 1);
  ASSERT_TRUE(added);
  EXPECT_EQ(*first, 1);
  auto [again, added_again] = index.TryEmplace("key", 2);
  EXPECT_FALSE(added_again);
  EXPECT_EQ(*again, 1);
  *again = 7;
  ASSERT_NE(index.Find("key"), nullptr);
  EXPECT_EQ(*index.Find("key"), 7);
  EXPECT_EQ(index.size(), 1u);
}

TEST(KeyIndex, EmptyKeyAndPrefixesAreDistinct) {
  KeyIndex<int> index;
  index.TryEmplace("", 1);
  index.TryEmplace("a", 2);
  index.TryEmplace("ab", 3);
  index.TryEmplace(std::string("a\0b", 3), 4);
  EXPECT_EQ(*index.Find(""), 1);
  EXPECT_EQ(*index.Find("a"), 2);
  EXPECT_EQ(*index.Find("ab"), 3);
  EXPECT_EQ(*index.Find(std::string("a\0b", 3)), 4);
  EXPECT_EQ(index.Find("b"), nullptr);
  EXPECT_EQ(index.size(), 4u);
}

// Many keys, through many growths: every key keeps its own value, and a
// reference map agrees with the index on every key and on absent ones.
TEST(KeyIndex, AgreesWithAMapThroughGrowth) {
  KeyIndex<std::size_t> index;
  std::map<std::string, std::size_t> reference;
  for (std::size_t i = 0; i < 50000; ++i) {
    const std::string key = FoldedKey({std::to_string(i % 977), std::to_string(i)});
    auto [value, added] = index.TryEmplace(key, i);
    auto [it, ref_added] = reference.emplace(key, i);
    ASSERT_EQ(added, ref_added) << key;
    ASSERT_EQ(*value, it->second) << key;
  }
  EXPECT_EQ(index.size(), reference.size());
  for (const auto& [key, value] : reference) {
    const std::size_t* found = index.Find(key);
    ASSERT_NE(found, nullptr) << key;
    EXPECT_EQ(*found, value);
  }
  EXPECT_EQ(index.Find(FoldedKey({"1", "2"})), nullptr);
  std::size_t visited = 0;
  index.ForEach([&](std::string_view key, std::size_t value) {
    ++visited;
    EXPECT_EQ(reference.at(std::string(key)), value);
  });
  EXPECT_EQ(visited, reference.size());
}

// Reserving room keeps the entries and their values; keys added after it,
// past the reserved count too, are found like the others.
TEST(KeyIndex, ReserveKeepsEntriesAndAllowsMore) {
  KeyIndex<int> index;
  index.TryEmplace("before", 1);
  index.Reserve(1000);
  EXPECT_EQ(*index.Find("before"), 1);
  for (int i = 0; i < 3000; ++i) ASSERT_TRUE(index.TryEmplace("k" + std::to_string(i), i).second);
  index.Reserve(10);  // smaller than the size: changes nothing
  EXPECT_EQ(index.size(), 3001u);
  EXPECT_EQ(*index.Find("before"), 1);
  for (int i = 0; i < 3000; ++i) {
    const int* found = index.Find("k" + std::to_string(i));
    ASSERT_NE(found, nullptr) << i;
    EXPECT_EQ(*found, i);
  }
  EXPECT_EQ(index.Find("k3000"), nullptr);
}

// A key added with the hash Prefetch gave is the same key as one added
// without it: found either way, and not added twice.
TEST(KeyIndex, PrefetchedHashAddsTheSameKey) {
  KeyIndex<int> index;
  EXPECT_EQ(index.Prefetch("a"), index.Prefetch("a"));  // an empty index has no slot to fetch
  for (int i = 0; i < 500; ++i) {
    const std::string key = "key " + std::to_string(i);
    const std::size_t hash = index.Prefetch(key);
    ASSERT_TRUE(index.TryEmplace(key, hash, i).second);
  }
  for (int i = 0; i < 500; ++i) {
    const std::string key = "key " + std::to_string(i);
    auto [value, added] = index.TryEmplace(key, i + 1000);
    EXPECT_FALSE(added);
    EXPECT_EQ(*value, i);
    auto [again, added_again] = index.TryEmplace(key, index.Prefetch(key), i + 2000);
    EXPECT_FALSE(added_again);
    EXPECT_EQ(*again, i);
  }
  EXPECT_EQ(index.size(), 500u);
}

}  // namespace
}  // namespace sw::legacy::jobfile
