// String against the standard string: fixed cases for the searches and edits with their edge
// positions, and random edit sequences applied to both (fixed seed) that must stay equal.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "text/str.h"

namespace vx {
namespace {

void ExpectSame(const String& s, const std::string& model) {
  ASSERT_EQ(s.size(), model.size());
  EXPECT_EQ(std::string(s.data(), s.size()), model);
  EXPECT_EQ(s.c_str()[s.size()], '\0');
}

TEST(String, Searches) {
  const std::string model = "a\\b/c.d\\e.txt";
  const String s = model;
  struct Case {
    const char* what;
    size_t pos;
  } const cases[] = {{"\\", 0}, {".", 5}, {"txt", 0}, {"", 3}, {"", 13}, {"", 14}, {"x", 0}, {"e.txt", 9},
                     {".", 99}, {"a", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + " @" + std::to_string(c.pos));
    EXPECT_EQ(s.find(c.what, c.pos), model.find(c.what, c.pos));
    EXPECT_EQ(s.find(String(c.what), c.pos), model.find(c.what, c.pos));
    EXPECT_EQ(s.rfind(String(c.what), c.pos), model.rfind(c.what, c.pos));
    EXPECT_EQ(s.rfind(String(c.what)), model.rfind(c.what));
    EXPECT_EQ(s.find_last_of(c.what, c.pos), model.find_last_of(c.what, c.pos));
    EXPECT_EQ(s.find_last_of(c.what), model.find_last_of(c.what));
    EXPECT_EQ(s.find_first_not_of(c.what, c.pos), model.find_first_not_of(c.what, c.pos));
    if (c.what[0] != '\0') {
      EXPECT_EQ(s.find(c.what[0], c.pos), model.find(c.what[0], c.pos));
      EXPECT_EQ(s.rfind(c.what[0], c.pos), model.rfind(c.what[0], c.pos));
    }
  }
}

TEST(String, Comparisons) {
  struct Case {
    const char* a;
    const char* b;
  } const cases[] = {{"", ""}, {"a", ""}, {"", "a"}, {"abc", "abd"}, {"abc", "ab"}, {"ab", "abc"}, {"\xff", "a"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    const String a = c.a, b = c.b;
    const std::string ma = c.a, mb = c.b;
    EXPECT_EQ(a == b, ma == mb);
    EXPECT_EQ(a == c.b, ma == mb);
    EXPECT_EQ(c.a == b, ma == mb);
    EXPECT_EQ(a != b, ma != mb);
    EXPECT_EQ(a < b, ma < mb);
    EXPECT_EQ(a.compare(b) < 0, ma.compare(mb) < 0);
    EXPECT_EQ(a.compare(b) == 0, ma.compare(mb) == 0);
    for (size_t pos = 0; pos <= ma.size(); ++pos)
      for (size_t n : {size_t{0}, size_t{1}, size_t{2}, String::npos})
        EXPECT_EQ(a.compare(pos, n, c.b) < 0, ma.compare(pos, n, c.b) < 0) << pos << " " << n;
  }
}

TEST(String, ConstructionAndConversion) {
  EXPECT_TRUE(String().empty());
  EXPECT_STREQ(String().c_str(), "");
  EXPECT_TRUE(String(nullptr).empty());
  ExpectSame(String("a\0b", 3), std::string("a\0b", 3));
  ExpectSame(String(4, 'x'), "xxxx");
  const std::string model = "from the standard string";
  const String s = model;  // any type with data() and size()
  ExpectSame(s, model);
  const std::string back = s;  // and back to one made from a pointer and a length
  EXPECT_EQ(back, model);
  String moved = String("abc");
  String target = std::move(moved);
  ExpectSame(target, "abc");
  ExpectSame(moved, "");  // a moved-from String is empty and usable
  moved += "again";
  ExpectSame(moved, "again");
  target = target;  // self-assignment keeps the text
  ExpectSame(target, "abc");
  target.assign(target.data() + 1, 2);  // from a part of itself
  ExpectSame(target, "bc");
  target.append(target.data(), target.size());
  ExpectSame(target, "bcbc");
}

TEST(String, Concatenation) {
  const String a = "ab";
  ExpectSame(a + "cd", "abcd");
  ExpectSame("cd" + a, "cdab");
  ExpectSame(a + a, "abab");
  ExpectSame(a + 'x', "abx");
  ExpectSame('x' + a, "xab");
  ExpectSame(String("1") + a + "2" + a + '3' + String(), "1ab2ab3");
  ExpectSame(String() + "", "");
}

// Random edits of both strings; after every step they hold the same bytes.
TEST(String, RandomEditsMatchTheStandardString) {
  std::mt19937 rng(4242);
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % (n + 1)); };
  auto piece = [&]() {
    std::string p(pick(6), 'a');
    for (char& ch : p) ch = static_cast<char>("ab\\.\0z"[rng() % 6]);
    return p;
  };
  for (int run = 0; run < 50; ++run) {
    String s;
    std::string model;
    for (int step = 0; step < 200; ++step) {
      const int op = static_cast<int>(rng() % 14);
      const size_t pos = pick(model.size());
      const size_t n = rng() % 4 == 0 ? String::npos : pick(5);
      const std::string p = piece();
      SCOPED_TRACE("run " + std::to_string(run) + " step " + std::to_string(step) + " op " + std::to_string(op));
      switch (op) {
        case 0: s += String(p); model += p; break;
        case 1: s.append(p.data(), p.size()); model.append(p); break;
        case 2: s.insert(pos, String(p)); model.insert(pos, p); break;
        case 3: s.erase(pos, n); model.erase(pos, n); break;
        case 4: s.replace(pos, n, String(p)); model.replace(pos, n, p); break;
        case 5: s = s.substr(pos, n); model = model.substr(pos, n); break;
        case 6: s.resize(pick(20), 'r'); model.resize(s.size(), 'r'); break;
        case 7: if (!model.empty()) { s.pop_back(); model.pop_back(); } break;
        case 8: s.push_back('p'); model.push_back('p'); break;
        case 9: s.insert(pos, 2, 'i'); model.insert(pos, 2, 'i'); break;
        case 10: s.replace(pos, n, 3, 'c'); model.replace(pos, n, 3, 'c'); break;
        case 11: s.assign(p.data(), p.size()); model.assign(p); break;
        case 12: s = s + String(p); model = model + p; break;
        case 13: if (rng() % 8 == 0) { s.clear(); model.clear(); } break;
      }
      ExpectSame(s, model);
      if (HasFatalFailure()) return;
      EXPECT_EQ(s.find(String(p)), model.find(p));
      EXPECT_EQ(s.rfind(String(p)), model.rfind(p));
    }
  }
}

}  // namespace
}  // namespace vx
