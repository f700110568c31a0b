// The reader's name and id pools against a model made of std::unordered_map and std::string:
// seeded random texts (every byte value, lengths past the hash's word size, names that differ
// only in case), stores and look-ups in random order, the hash table dropped now and then.
#include "ktbase/oml/oml_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

std::string folded(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

std::string randomText(std::mt19937& random) {
  static const char kSome[] = "abcABC_xyzXYZ019$-+";
  const int length = static_cast<int>(random() % 4 == 0 ? random() % 40 : random() % 6);
  std::string text;
  for (int i = 0; i < length; ++i)
    text += random() % 8 == 0 ? static_cast<char>(1 + random() % 255)
                              : kSome[random() % (sizeof kSome - 1)];
  return text;
}

TEST(OMLNamePoolTest, AgreesWithAMap) {
  for (bool fold : {false, true}) {
    std::mt19937 random(fold ? 7 : 3);
    KtOMLNamePool pool(fold);
    std::unordered_map<std::string, std::int32_t> model;
    std::vector<std::string> texts;
    for (int step = 0; step < 20000; ++step) {
      const std::string text = randomText(random);
      const std::string key = fold ? folded(text) : text;
      const auto known = model.find(key);
      const std::int32_t expected = known != model.end() ? known->second : -1;
      ASSERT_EQ(pool.find(text.data(), text.size()), expected) << step;
      if (random() % 3 != 0) {
        const std::int32_t index = pool.store(text.data(), text.size());
        if (expected < 0) {
          ASSERT_EQ(index, static_cast<std::int32_t>(texts.size()));
          model[key] = index;
          texts.push_back(key);
        } else {
          ASSERT_EQ(index, expected);
        }
      }
      if (step % 5000 == 4999) pool.dropIndex();
    }
    ASSERT_EQ(pool.count(), static_cast<std::int32_t>(texts.size()));
    for (std::size_t i = 0; i < texts.size(); ++i) {
      ASSERT_EQ(std::string(pool.text(static_cast<std::int32_t>(i))), texts[i]);
      ASSERT_EQ(pool.length(static_cast<std::int32_t>(i)), texts[i].size());
    }
    EXPECT_STREQ(pool.text(-1), "");
    EXPECT_STREQ(pool.text(pool.count()), "");
    EXPECT_EQ(pool.find(nullptr), -1);
    EXPECT_EQ(pool.store(nullptr), -1);
  }
}

TEST(OMLNamePoolTest, FoldsOnlyAsciiLetters) {
  KtOMLNamePool pool(true);
  const std::int32_t a = pool.store("Graph_9");
  EXPECT_EQ(pool.find("GRAPH_9"), a);
  EXPECT_EQ(pool.find("graph_9"), a);
  EXPECT_STREQ(pool.text(a), "GRAPH_9");
  const std::string accented = "caf\xe9";
  const std::int32_t b = pool.store(accented.c_str());
  EXPECT_EQ(pool.find("CAF\xe9"), b);
  EXPECT_EQ(pool.find("CAF\xc9"), -1);  // only a-z fold
  // A long text whose last word differs in case only.
  EXPECT_EQ(pool.store("abcdefghijklmnopQ"), pool.store("ABCDEFGHIJKLMNOPq"));
}

// The text of every id is what was stored; joins read as the joined texts; integers written
// as C writes them are one id with the number's decimal text, other digit texts stay names.
TEST(OMLIdPoolTest, AgreesWithTexts) {
  std::mt19937 random(11);
  KtOMLIdPool pool;
  std::unordered_map<std::string, std::int32_t> model;
  std::vector<std::int32_t> ids;
  auto component = [&random]() -> std::string {
    switch (random() % 8) {
      case 0:
        return std::to_string(static_cast<std::int32_t>(random()));
      case 1:
        return std::to_string(static_cast<int>(random() % 21) - 10);
      case 2: {
        static const char* const kOdd[] = {"+5",         "007", "-0",          "",    "$",
                                           "2147483648", "-",   "-2147483648", "1e3", " 1"};
        return kOdd[random() % 10];
      }
      default:
        return randomText(random).substr(0, 5);
    }
  };
  for (int step = 0; step < 20000; ++step) {
    std::string text;
    std::int32_t id;
    if (!ids.empty() && random() % 3 == 0) {
      const std::int32_t parent = ids[random() % ids.size()];
      const std::int32_t child = ids[random() % ids.size()];
      text = std::string(pool.text(parent)) + "," + pool.text(child);
      id = random() % 2 == 0 ? pool.join(parent, child) : pool.findJoined(parent, child);
      if (id < 0) {
        ASSERT_EQ(model.count(text), 0u) << text;
        continue;
      }
    } else {
      for (int parts = 1 + static_cast<int>(random() % 3); parts > 0; --parts)
        text += component() + (parts > 1 ? "," : "");
      for (char& c : text)
        if (c == 0) c = 'z';
      // Components and prefixes of stored paths are ids too: a text found is the id's text.
      const std::int32_t found = pool.find(text.c_str());
      if (model.count(text) != 0) {
        ASSERT_EQ(found, model[text]) << text;
      } else if (found >= 0) {
        ASSERT_EQ(std::string(pool.text(found)), text);
      }
      id = pool.store(text.c_str());
      if (found >= 0) {
        ASSERT_EQ(id, found) << text;
      }
    }
    ASSERT_GE(id, 0);
    const auto known = model.find(text);
    if (known != model.end()) {
      ASSERT_EQ(id, known->second) << text;
    } else {
      model[text] = id;
      ids.push_back(id);
    }
    ASSERT_EQ(std::string(pool.text(id)), text);
    ASSERT_EQ(pool.isAbsolute(id), !text.empty() && text[0] == '$' ? 1 : 0) << text;
    ASSERT_EQ(pool.isSimple(id),
              !text.empty() && text[0] != '$' && text.find(',') == std::string::npos ? 1 : 0)
        << text;
    if (step % 7000 == 6999) pool.dropIndex();
  }
  EXPECT_EQ(pool.count() >= static_cast<std::int32_t>(model.size()), true);
  for (const auto& [text, id] : model) ASSERT_EQ(pool.find(text.c_str()), id) << text;
  EXPECT_EQ(pool.storeNumber(-7), pool.store("-7"));
  EXPECT_EQ(pool.findNumber(123456789), pool.find("123456789"));
}

TEST(OMLIdPoolTest, RecordsAndDeepPaths) {
  KtOMLIdPool pool;
  std::string path = "$";
  std::int32_t id = pool.store("$");
  for (int i = 0; i < 5000; ++i) {  // far deeper than any helper stack holds
    const std::int32_t child = pool.storeNumber(i);
    id = pool.join(id, child);
    path += "," + std::to_string(i);
  }
  EXPECT_EQ(std::string(pool.text(id)), path);
  EXPECT_EQ(pool.find(path.c_str()), id);
  // Joining a path to a parent joins its components one by one.
  const std::int32_t relative = pool.store("a,b,7");
  const std::int32_t root = pool.store("$,1");
  EXPECT_EQ(pool.join(root, relative), pool.store("$,1,a,b,7"));

  auto* object = reinterpret_cast<KtObject*>(&path);
  auto* syntax = reinterpret_cast<KtOMLSyntaxObject*>(&pool);
  EXPECT_EQ(pool.object(id), nullptr);
  EXPECT_TRUE(pool.object(id, object));
  EXPECT_TRUE(pool.syntaxObject(root, syntax));
  EXPECT_EQ(pool.object(id), object);
  EXPECT_EQ(pool.syntaxObject(root), syntax);
  EXPECT_EQ(pool.syntaxObject(id), nullptr);
  pool.forgetObjects();
  EXPECT_EQ(pool.object(id), nullptr);
  EXPECT_EQ(pool.syntaxObject(root), syntax);
  EXPECT_FALSE(pool.object(-1, object));
  EXPECT_FALSE(pool.object(pool.count(), object));
  EXPECT_EQ(pool.object(pool.count()), nullptr);
}

}  // namespace
