#include "ktbase/files/string_pool.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// The pool's hash written plainly, with hardware remainders, as the reference.
std::int32_t referenceHash(const std::string& s, std::int32_t n) {
  std::int32_t h = 0;
  for (char byte : s) {
    int b = static_cast<signed char>(byte);
    int upper = b >= 'a' && b <= 'z' ? b - 32 : b;
    h = static_cast<std::int32_t>(static_cast<std::uint32_t>(upper) +
                                  29u * static_cast<std::uint32_t>(h) - 48u) %
        n;
  }
  if (h < 0) h = -h;
  return h % n;
}

TEST(StringHandle, GrowsByDoublingAndKeepsItsText) {
  KtStringHandle line;
  EXPECT_EQ(line.capacity(), 254);
  EXPECT_STREQ(line.pString(), "");
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    line.appendChar(static_cast<char>('a' + i % 26));
    expected += static_cast<char>('a' + i % 26);
  }
  EXPECT_EQ(line.pString(), expected);
  EXPECT_EQ(line.capacity(), 508);
  EXPECT_EQ(line.strlenBuf(), 300);
  line.appendString(nullptr);
  line.appendString(std::string(800, 'z').c_str());
  EXPECT_EQ(line.capacity(), 2032);
  EXPECT_EQ(line.strlenBuf(), 1100);
  EXPECT_EQ(line.sizeOf(), static_cast<std::int32_t>(sizeof(KtStringHandle)) + 2032);

  line.empty();
  EXPECT_STREQ(line.pString(), "");
  EXPECT_EQ(line.capacity(), 2032);  // never shrinks

  // The append buffer: the caller writes behind the text and terminates it.
  line.appendString("ab");
  char* tail = line.obtainAppendBuffer(3);
  ASSERT_NE(tail, nullptr);
  std::memcpy(tail, "cde", 4);
  EXPECT_EQ(line.strlenBuf(), 5);
  line.appendChar('f');
  EXPECT_STREQ(line.pString(), "abcdef");
}

TEST(StringHandle, CopiesTakeCapacityAndText) {
  KtStringHandle big;
  big.appendString(std::string(600, 'q').c_str());
  KtStringHandle small;
  small.appendString("old");
  small = big;
  EXPECT_EQ(small.capacity(), 1016);
  EXPECT_EQ(std::string(small.pString()), std::string(600, 'q'));
  KtStringHandle attributes(big, KT_ATTRIBUTE_COPY);  // whatever the flag: the text too
  EXPECT_EQ(attributes.strlenBuf(), 600);
  KtStringHandle* clone = big.cloneObject();
  EXPECT_EQ(clone->capacity(), 1016);
  EXPECT_EQ(clone->strlenBuf(), 600);
  delete clone;
  KtStringHandle shrink;
  shrink.appendString(std::string(300, 'w').c_str());
  shrink.copyAttributes(&small);
  small.empty();
  small.appendString("x");
  shrink.copyObject(&small);
  EXPECT_STREQ(shrink.pString(), "x");
  EXPECT_EQ(shrink.capacity(), 1016);
}

TEST(StringPool, CaseRulesAndIndexes) {
  KtStringPool folded(7, 3, 0, 0);
  std::int32_t node = folded.update("Node");
  EXPECT_EQ(node, 0);
  EXPECT_EQ(folded.update("NODE"), node);
  EXPECT_EQ(folded.lookup("nOdE"), node);
  EXPECT_STREQ(folded.decode(node), "NODE");

  KtStringPool exact;  // (3, 3, 1, 0)
  EXPECT_EQ(exact.update("Node"), 0);
  EXPECT_EQ(exact.update("NODE"), 1);
  EXPECT_EQ(exact.lookup("node"), -1);
  EXPECT_EQ(exact.update(""), 2);  // the empty string is a string like any other
  EXPECT_EQ(exact.lookup(""), 2);
  EXPECT_EQ(KtStringPool::hash("", 3), 0);
  EXPECT_EQ(exact.update(nullptr), -1);
  EXPECT_EQ(exact.lookup(nullptr), -1);
  EXPECT_EQ(exact.decodeTableMax(), 3);

  EXPECT_STREQ(exact.decode(-1), "");
  EXPECT_STREQ(exact.decode(3), "");
  EXPECT_EQ(exact.pointer(0), nullptr);  // a pool without pointers
  int target = 0;
  EXPECT_EQ(exact.pointer(0, &target), nullptr);
}

// The fast hash against referenceHash on seeded random strings of every length up to 300 and
// every byte value, in tables from one chain to 2^31 - 1, around the largest size that takes
// eight characters at a step, and at random sizes. The strings are drawn from several alphabets,
// so that runs of plain characters ('0' to 127), odd characters (below '0' and negative) and
// the changes of sign between them all occur; each sits in a buffer of its exact size, so that
// the sanitizer build catches a read past its terminator.
TEST(StringPool, HashMatchesThePlainRemainderForm) {
#if defined(__SANITIZE_ADDRESS__)
  constexpr int kStrings = 200000;  // instrumented code runs many times slower
#else
  constexpr int kStrings = 1000000;
#endif
  constexpr std::int32_t kLargestBlockSize = 74051158;  // 29 (n - 1) + 79 < 2^31
  const std::int32_t sizes[] = {
      1,        2,       3,          7,         29,       31,       97,
      1009,     65536,   1000003,    16777216,  16777259, 74051157, kLargestBlockSize,
      74051159, 1 << 30, 2147483646, 2147483647};
  std::mt19937_64 random(20240611);
  auto character = [&random](int alphabet) -> char {
    std::uint64_t bits = random();  // one draw, cut into independent pieces
    std::uint64_t pick = bits >> 32;
    char plain = static_cast<char>('0' + (bits & 0xFFFF) % 80);
    char odd = static_cast<char>(bits >> 16 & 1 ? 1 + (bits >> 17 & 0xFFFF) % 47
                                                : 128 + (bits >> 17 & 127));
    switch (alphabet) {
      case 0:
        return static_cast<char>(1 + pick % 255);
      case 1:
        return plain;
      case 2:
        return pick % 40 == 0 ? odd : plain;
      case 3:
        return pick % 12 == 0 ? " .-$"[bits % 4] : "aZ_09xQk"[bits >> 8 & 7];
      default:
        return pick % 4 == 0 ? plain : odd;
    }
  };
  for (int i = 0; i < kStrings; ++i) {
    // Every length up to 300, the short ones of identifiers more often.
    std::size_t length = random() % 2 == 0 ? random() % 301 : random() % 41;
    int alphabet = static_cast<int>(random() % 5);
    std::unique_ptr<char[]> text(new char[length + 1]);
    for (std::size_t j = 0; j < length; ++j) text[j] = character(alphabet);
    text[length] = 0;
    std::int32_t n = random() % 2 == 0
                         ? sizes[random() % (sizeof sizes / sizeof sizes[0])]
                         : static_cast<std::int32_t>(1 + (random() >> (33 + random() % 31)));
    ASSERT_EQ(KtStringPool::hash(text.get(), n), referenceHash(std::string(text.get(), length), n))
        << "length " << length << ", alphabet " << alphabet << ", size " << n;
  }
  // A pool's own constants give the same hash.
  for (std::int32_t n : {1, 3, 1009, 1000003}) {
    KtStringPool pool(n, 3, 1, 0);
    for (int i = 0; i < 2000; ++i) {
      std::string s;
      for (std::size_t j = random() % 40; j > 0; --j) s += character(i % 5);
      ASSERT_EQ(pool.hash(s.c_str()), referenceHash(s, n)) << n;
    }
  }
  // Characters below '0' and negative bytes make negative intermediate remainders.
  EXPECT_EQ(KtStringPool::hash("!", 10), 5);     // (33 - 48) rem 10 = -5, negated
  EXPECT_EQ(KtStringPool::hash("a", 1000), 17);  // 'A' - 48
  EXPECT_EQ(KtStringPool::hash("x", 0), 0);
  EXPECT_EQ(KtStringPool::hash(nullptr, 7), 0);
}

// A hash worked out once serves every pool with as many chains, and any other chain index does
// as well; a hash that is not a chain index is refused and changes nothing.
TEST(StringPool, LookupAndUpdateWithAKnownHash) {
  KtStringPool keywords(53, 3, 0, 0);
  KtStringPool names(53, 3, 1, 0);
  KtStringPool other(1009, 3, 1, 0);
  const char* words[] = {"node", "Edge", "graph", "a.b", "", "\xe9t\xe9", "layoutHint_in"};
  for (const char* word : words) keywords.update(word);
  for (const char* word : words) {
    std::int32_t hash = keywords.hash(word);
    EXPECT_EQ(hash, KtStringPool::hash(word, 53));
    EXPECT_EQ(keywords.lookup(word, hash), keywords.lookup(word));
    EXPECT_EQ(names.lookup(word, hash), -1);
    std::int32_t index = names.update(word, hash);
    EXPECT_EQ(names.update(word), index);  // found in the chain it was put in
    EXPECT_EQ(names.lookup(word, hash), index);
    std::int32_t added = other.update(word, other.hash(word));
    EXPECT_EQ(other.lookup(word), added);
  }
  EXPECT_EQ(keywords.lookup("NODE", keywords.hash("NODE")), 0);
  const std::int32_t elsewhere =
      names.update("elsewhere", (KtStringPool::hash("elsewhere", 53) + 1) % 53);
  EXPECT_EQ(names.lookup("elsewhere"), elsewhere);
  EXPECT_EQ(names.update("elsewhere"), elsewhere);
  const std::int32_t count = names.decodeTableMax();
  for (std::int32_t bad : {-1, 53, 1009, INT32_MIN}) {
    EXPECT_EQ(names.update("fresh", bad), -1);
    EXPECT_EQ(names.lookup("node", bad), -1);
  }
  EXPECT_EQ(names.update(nullptr, 0), -1);
  EXPECT_EQ(names.decodeTableMax(), count);
  EXPECT_EQ(names.lookup("fresh"), -1);
  KtStringPool unusable(0, 4, 1, 0);
  EXPECT_EQ(unusable.hash("a"), 0);
  EXPECT_EQ(unusable.update("a", 0), -1);
  EXPECT_EQ(unusable.lookup("a", 0), -1);
}

TEST(StringPool, GrowthRule) {
  KtStringPool pool(3, 3, 1, 1);
  std::vector<std::int32_t> grownAt;
  // The decode and pointer tables grow as the last free slot would be taken: 3, 8, 15, 26, 44.
  for (int i = 0; i < 30; ++i) {
    pool.update(("s" + std::to_string(i)).c_str());
    pool.pointer(i, &grownAt);
  }
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ(pool.lookup(("s" + std::to_string(i)).c_str()), i);
    EXPECT_EQ(pool.pointer(i), &grownAt);
  }
  // One chain, a decode table without entries: both still work.
  KtStringPool one(1, 1, 1, 0);
  KtStringPool none(5, 0, 0, 1);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(one.update(std::to_string(i).c_str()), i);
    EXPECT_EQ(none.update(("k" + std::to_string(i)).c_str()), i);
  }
  EXPECT_EQ(one.lookup("57"), 57);
  EXPECT_EQ(none.lookup("K42"), 42);
  int target = 0;
  EXPECT_EQ(none.pointer(42, &target), &target);
  // No hash table: nothing is stored, nothing divides by zero.
  KtStringPool unusable(0, 4, 1, 0);
  KtStringPool negative(-5, -5, 1, 1);
  EXPECT_EQ(unusable.update("a"), -1);
  EXPECT_EQ(negative.update("a"), -1);
  EXPECT_EQ(negative.lookup("a"), -1);
  EXPECT_STREQ(negative.decode(0), "");
}

TEST(StringPool, CopiesKeepIndexesAndShareUserPointers) {
  KtStringPool source(11, 2, 0, 1);
  int objects[40];
  for (int i = 0; i < 40; ++i) {
    ASSERT_EQ(source.update(("name" + std::to_string(i * 7)).c_str()), i);
    source.pointer(i, &objects[i]);
  }
  KtStringPool copy(source);
  KtStringPool assigned(3, 3, 1, 0);
  assigned.update("gone");
  assigned = source;
  for (const KtStringPool* pool : {&copy, &assigned, source.cloneObject()}) {
    ASSERT_EQ(pool->decodeTableMax(), 40);
    for (int i = 0; i < 40; ++i) {
      EXPECT_EQ(pool->lookup(("Name" + std::to_string(i * 7)).c_str()), i);  // not case-sensitive
      EXPECT_EQ(pool->pointer(i), &objects[i]);
    }
    EXPECT_EQ(pool->lookup("gone"), -1);
    if (pool != &copy && pool != &assigned) delete pool;
  }
  KtStringPool attributes(source, KT_ATTRIBUTE_COPY);
  EXPECT_EQ(attributes.decodeTableMax(), 0);
  EXPECT_EQ(attributes.update("x"), -1);  // no tables after an attribute copy
  EXPECT_EQ(attributes.lookup("NAME0"), -1);
}

// A pool of every kind and many table sizes against std::unordered_map, step by step: seeded
// strings of every length up to 300 and every byte value, with near misses of stored strings
// (one byte changed, one more or one fewer, another case) so that a comparison that skips a
// byte or a hash that forgets one shows. Pools of few chains double them many times on the way.
// Each string sits in a buffer of its exact size, so that the sanitizer build catches a read
// past its terminator.
TEST(StringPool, AgreesWithUnorderedMap) {
  const std::int32_t chainCounts[] = {1, 2, 3, 7, 31, 251, 1103, 7507, 65537, 1000003};
  std::mt19937_64 random(977);
  int targets[8];
  int run = 0;
  for (std::int32_t chains : chainCounts) {
    for (int kind = 0; kind < 4; ++kind, ++run) {
      const int caseSensitive = kind & 1;
      const int withPointers = kind >> 1;
      const std::int32_t decodeSize = static_cast<std::int32_t>(random() % 4 * 33);  // 0 ... 99
      KtStringPool pool(chains, decodeSize, caseSensitive, withPointers);
      std::unordered_map<std::string, std::int32_t> oracle;
      std::vector<std::string> stored;  // by index, as the pool keeps them
      std::vector<void*> pointers;
      auto key = [caseSensitive](std::string s) {
        if (!caseSensitive)
          for (char& c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        return s;
      };
      auto byte = [&random](int alphabet) -> char {
        switch (alphabet) {
          case 0:
            return static_cast<char>(1 + random() % 255);
          case 1:
            return "`az{@AZ[_09"[random() % 11];  // letters and their neighbours
          default:
            return "ab"[random() % 2];  // many strings of one length differ late
        }
      };
      auto fresh = [&] {
        std::size_t length = random() % 4 == 0 ? random() % 301 : random() % 25;
        int alphabet = static_cast<int>(random() % 3);
        std::string s;
        for (std::size_t i = 0; i < length; ++i) s += byte(alphabet);
        return s;
      };
      auto nearMiss = [&](std::string s) {
        switch (random() % 4) {
          case 0:
            if (!s.empty()) s[random() % s.size()] = byte(static_cast<int>(random() % 3));
            break;
          case 1:
            s += byte(1);
            break;
          case 2:
            if (!s.empty()) s.pop_back();
            break;
          default:
            for (char& c : s)
              if (random() % 2 && std::isalpha(static_cast<unsigned char>(c)))
                c = static_cast<char>(c ^ 0x20);
        }
        return s;
      };
      for (int step = 0; step < 3000; ++step) {
        std::string s = stored.empty() || random() % 3 == 0 ? fresh()
                        : random() % 2 == 0 ? nearMiss(stored[random() % stored.size()])
                                            : stored[random() % stored.size()];
        std::unique_ptr<char[]> text(new char[s.size() + 1]);
        std::memcpy(text.get(), s.c_str(), s.size() + 1);
        const std::string k = key(s);
        auto found = oracle.find(k);
        const std::int32_t expected = found == oracle.end() ? -1 : found->second;
        // Any chain index may come with the string; the pool finds the chain itself.
        const std::int32_t chain = static_cast<std::int32_t>(random() % chains);
        const int operation = static_cast<int>(random() % 4);
        if (operation == 0) {
          ASSERT_EQ(pool.lookup(text.get()), expected) << run << " " << step;
          ASSERT_EQ(pool.lookup(text.get(), chain), expected) << run << " " << step;
        } else {
          std::int32_t index =
              operation == 1 ? pool.update(text.get(), chain) : pool.update(text.get());
          if (expected < 0) {
            ASSERT_EQ(index, static_cast<std::int32_t>(stored.size())) << run << " " << step;
            oracle.emplace(k, index);
            stored.push_back(k);
            pointers.push_back(nullptr);
          } else {
            ASSERT_EQ(index, expected) << run << " " << step;
          }
          ASSERT_EQ(pool.decode(index), stored[static_cast<std::size_t>(index)]);
        }
        ASSERT_EQ(pool.decodeTableMax(), static_cast<std::int32_t>(stored.size()));
        // Pointers: set one, read one, and one out of range that must be refused.
        const std::int32_t count = pool.decodeTableMax();
        const std::int32_t i = static_cast<std::int32_t>(random() % (count + 2)) - 1;
        void* p = &targets[random() % 8];
        const bool inRange = i >= 0 && i < count;
        ASSERT_EQ(pool.pointer(i, p), inRange && withPointers ? p : nullptr);
        if (inRange && withPointers) pointers[static_cast<std::size_t>(i)] = p;
        const std::int32_t j = static_cast<std::int32_t>(random() % (count + 2)) - 1;
        if (j >= 0 && j < count) {
          ASSERT_EQ(pool.pointer(j), pointers[static_cast<std::size_t>(j)]);
        } else {
          ASSERT_EQ(pool.pointer(j), nullptr);
          ASSERT_STREQ(pool.decode(j), "");
        }
      }
      // Every index still leads to its string and back, in the pool and in a deep copy.
      KtStringPool copy(pool);
      for (std::size_t i = 0; i < stored.size(); ++i) {
        const std::int32_t index = static_cast<std::int32_t>(i);
        ASSERT_EQ(pool.decode(index), stored[i]);
        ASSERT_EQ(pool.lookup(stored[i].c_str()), index);
        ASSERT_EQ(copy.lookup(stored[i].c_str()), index);
        ASSERT_EQ(copy.pointer(index), pointers[i]);
      }
    }
  }
}

}  // namespace
