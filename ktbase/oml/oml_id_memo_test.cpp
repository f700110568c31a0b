#include "ktbase/oml/oml_id_memo.h"

#include <gtest/gtest.h>

#include <random>
#include <unordered_map>

// Against the standard map: keys that share their low or high halves (ids under one parent,
// one id under many parents) through several doublings.
TEST(IdMemoTest, FindsWhatItRememberedAndNothingElse) {
  std::mt19937_64 random(7);
  KtOMLIdMemo memo;
  std::unordered_map<std::uint64_t, std::int32_t> model;
  EXPECT_EQ(memo.find(0), -1);
  for (int i = 0; i < 20000; ++i) {
    const std::int32_t parent = static_cast<std::int32_t>(random() % 50) - 3;
    const std::int32_t child = static_cast<std::int32_t>(random() % 4000);
    const std::uint64_t key = KtOMLIdMemo::pair(parent, child);
    const std::int32_t value = static_cast<std::int32_t>(random() % 1000000);
    memo.remember(key, value);
    model.emplace(key, value);  // the first value stays, as in the memo
    const std::uint64_t probe = KtOMLIdMemo::pair(static_cast<std::int32_t>(random() % 60) - 3,
                                                  static_cast<std::int32_t>(random() % 5000));
    const auto found = model.find(probe);
    ASSERT_EQ(memo.find(probe), found != model.end() ? found->second : -1) << i;
  }
  for (const auto& entry : model) ASSERT_EQ(memo.find(entry.first), entry.second);
}

TEST(IdMemoTest, NegativeValuesAreNotRemembered) {
  KtOMLIdMemo memo;
  memo.remember(5, -1);
  EXPECT_EQ(memo.find(5), -1);
  memo.remember(5, 0);
  EXPECT_EQ(memo.find(5), 0);
  EXPECT_EQ(KtOMLIdMemo::pair(-1, 2), 0xFFFFFFFF00000002ull);
}
