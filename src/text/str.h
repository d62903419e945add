// String: the text type of the launcher. A byte string with the member functions of the standard
// string that this code uses, kept out of line so that call sites stay small, without exceptions
// (running out of memory ends the process). Texts from and to other string types (tools, tests)
// convert through data()/size().
#pragma once
#include <cstddef>
#include <type_traits>
#include <utility>

namespace vx {

class String {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  // Constant: a String object of static lifetime needs no start-up code.
  constexpr String() noexcept : data_(emptyText_), size_(0), capacity_(0) {}
  String(const char* s);  // implicit, as with the standard string
  String(const char* s, size_t n);
  String(size_t n, char c);
  String(const String& other);
  String(String&& other) noexcept;
  // Any string type with data() and size(), such as std::string and std::string_view.
  template <typename T, typename = std::enable_if_t<
                            std::is_convertible<decltype(std::declval<const T&>().data()), const char*>::value &&
                            std::is_integral<decltype(std::declval<const T&>().size())>::value>>
  String(const T& s) : String(s.data(), s.size()) {}
  ~String();

  String& operator=(const String& other);
  String& operator=(String&& other) noexcept;
  String& operator=(const char* s);

  // To any string type made from a pointer and a length (such as std::string).
  template <typename S, typename = decltype(std::declval<const S&>().c_str()),
            typename = decltype(S(static_cast<const char*>(nullptr), size_t{0}))>
  operator S() const {
    return S(data_, size_);
  }

  size_t size() const { return size_; }
  size_t length() const { return size_; }
  bool empty() const { return size_ == 0; }
  const char* data() const { return data_; }
  char* data() { return data_; }
  const char* c_str() const { return data_; }
  char& operator[](size_t i) { return data_[i]; }
  const char& operator[](size_t i) const { return data_[i]; }
  char& front() { return data_[0]; }
  char front() const { return data_[0]; }
  char& back() { return data_[size_ - 1]; }
  char back() const { return data_[size_ - 1]; }
  char* begin() { return data_; }
  char* end() { return data_ + size_; }
  const char* begin() const { return data_; }
  const char* end() const { return data_ + size_; }

  void clear();
  void reserve(size_t n);
  void resize(size_t n, char c = '\0');
  void push_back(char c);
  void pop_back();
  String& assign(const char* s, size_t n);
  String& assign(size_t n, char c);
  String& append(const char* s, size_t n);
  String& append(const String& s) { return append(s.data_, s.size_); }
  String& append(const String& s, size_t pos, size_t n);  // the bytes at pos, n of them at most
  String& append(size_t n, char c);
  String& operator+=(const String& s) { return append(s.data_, s.size_); }
  String& operator+=(const char* s);
  String& operator+=(char c);
  String& insert(size_t pos, const String& s);
  String& insert(size_t pos, size_t n, char c);
  String& erase(size_t pos = 0, size_t n = npos);
  String& replace(size_t pos, size_t n, const String& s);
  String& replace(size_t pos, size_t n, size_t count, char c);
  String substr(size_t pos = 0, size_t n = npos) const;

  size_t find(const String& s, size_t pos = 0) const { return find(s.data_, pos, s.size_); }
  size_t find(const char* s, size_t pos = 0) const;
  size_t find(const char* s, size_t pos, size_t n) const;
  size_t find(char c, size_t pos = 0) const;
  size_t rfind(const String& s, size_t pos = npos) const;
  size_t rfind(char c, size_t pos = npos) const;
  size_t find_last_of(const char* chars, size_t pos = npos) const;
  size_t find_last_of(char c, size_t pos = npos) const { return rfind(c, pos); }
  size_t find_first_of(const char* chars, size_t pos = 0) const;
  size_t find_first_not_of(const char* chars, size_t pos = 0) const;
  // <0, 0 or >0 as the bytes at pos (n of them at most) order before, equal or after s.
  int compare(size_t pos, size_t n, const char* s) const;
  int compare(size_t pos, size_t n, const String& s) const;
  int compare(const String& s) const;

 private:
  // Room for at least n bytes and the terminating zero, keeping the first size_ bytes.
  void Grow(size_t n);
  // Makes the text n bytes long (contents of the new room undefined) and terminates it.
  void SetSize(size_t n);

  static char emptyText_[1];  // the text of every String without storage of its own

  char* data_;
  size_t size_;
  size_t capacity_;  // 0 while data_ points to the shared empty text
};

String operator+(const String& a, const String& b);
String operator+(const String& a, const char* b);
String operator+(const char* a, const String& b);
String operator+(const String& a, char b);
String operator+(char a, const String& b);
// A temporary on the left is extended in place and handed on, so that a chain a + b + c + ...
// builds one text. Use the result within the expression or copy it into a String; do not bind
// it to a reference that outlives the expression.
String&& operator+(String&& a, const String& b);
String&& operator+(String&& a, const char* b);
String&& operator+(String&& a, char b);

// A text passed to a function without making a String of it: a string literal or other C string
// (null counts as empty) or any string type with data() and size(), String included. It refers to
// the caller's bytes, so it lives no longer than the call; a callee that keeps the text copies it.
class StrView {
 public:
  constexpr StrView() : data_(""), size_(0) {}
  // Always inline, so that the length of a literal is known when compiling the call.
  __attribute__((always_inline)) StrView(const char* s)
      : data_(s), size_(s != nullptr ? __builtin_strlen(s) : 0) {}
  StrView(const char* s, size_t n) : data_(s), size_(n) {}
  template <typename T, typename = std::enable_if_t<
                            std::is_convertible<decltype(std::declval<const T&>().data()), const char*>::value &&
                            std::is_integral<decltype(std::declval<const T&>().size())>::value>>
  StrView(const T& s) : data_(s.data()), size_(s.size()) {}

  const char* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  const char* data_;
  size_t size_;
};

bool operator==(const String& a, const String& b);
bool operator==(const String& a, const char* b);
inline bool operator==(const char* a, const String& b) { return b == a; }
inline bool operator!=(const String& a, const String& b) { return !(a == b); }
inline bool operator!=(const String& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const String& b) { return !(b == a); }
inline bool operator<(const String& a, const String& b) { return a.compare(b) < 0; }

}  // namespace vx
