#include "text/str.h"

#include <cstdlib>
#include <cstring>

namespace vx {

char String::emptyText_[1] = {'\0'};

namespace {

char* Allocate(size_t capacity) {
  char* p = static_cast<char*>(std::malloc(capacity + 1));
  if (p == nullptr) std::abort();
  return p;
}

size_t Clip(size_t pos, size_t n, size_t size) {
  if (pos > size) return 0;
  return n > size - pos ? size - pos : n;
}

}  // namespace

String::String(const char* s) : String() {
  if (s != nullptr) append(s, std::strlen(s));
}

String::String(const char* s, size_t n) : String() { append(s, n); }

String::String(size_t n, char c) : String() { append(n, c); }

String::String(const String& other) : String() { append(other.data_, other.size_); }

String::String(String&& other) noexcept : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
  other.data_ = emptyText_;
  other.size_ = 0;
  other.capacity_ = 0;
}

String::~String() {
  if (capacity_ != 0) std::free(data_);
}

String& String::operator=(const String& other) {
  if (this != &other) assign(other.data_, other.size_);
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this != &other) {
    if (capacity_ != 0) std::free(data_);
    data_ = other.data_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.data_ = emptyText_;
    other.size_ = 0;
    other.capacity_ = 0;
  }
  return *this;
}

String& String::operator=(const char* s) { return assign(s, s != nullptr ? std::strlen(s) : 0); }

void String::Grow(size_t n) {
  if (n <= capacity_) return;
  size_t capacity = capacity_ * 2;
  if (capacity < n) capacity = n;
  if (capacity < 15) capacity = 15;
  char* p = Allocate(capacity);
  std::memcpy(p, data_, size_ + 1);
  if (capacity_ != 0) std::free(data_);
  data_ = p;
  capacity_ = capacity;
}

void String::SetSize(size_t n) {
  if (n == 0 && capacity_ == 0) return;  // stays the shared empty text
  Grow(n);
  size_ = n;
  data_[n] = '\0';
}

void String::clear() { SetSize(0); }

void String::reserve(size_t n) { Grow(n); }

void String::resize(size_t n, char c) {
  const size_t old = size_;
  SetSize(n);
  if (n > old) std::memset(data_ + old, c, n - old);
}

void String::push_back(char c) { append(1, c); }

void String::pop_back() { SetSize(size_ - 1); }

String& String::assign(const char* s, size_t n) {
  if (capacity_ != 0 && s >= data_ && s <= data_ + size_) {  // a part of this text
    std::memmove(data_, s, n);
    SetSize(n);
    return *this;
  }
  SetSize(0);
  return append(s, n);
}

String& String::assign(size_t n, char c) {
  SetSize(0);
  return append(n, c);
}

String& String::append(const String& s, size_t pos, size_t n) {
  if (pos > s.size_) pos = s.size_;
  return append(s.data_ + pos, Clip(pos, n, s.size_));
}

String& String::append(const char* s, size_t n) {
  if (n == 0) return *this;
  const size_t old = size_;
  if (old + n > capacity_ && s >= data_ && s <= data_ + old) {  // a part of this text
    String copy(s, n);
    return append(copy.data_, n);
  }
  SetSize(old + n);
  std::memmove(data_ + old, s, n);
  return *this;
}

String& String::append(size_t n, char c) {
  const size_t old = size_;
  resize(old + n, c);
  return *this;
}

String& String::operator+=(const char* s) { return append(s, std::strlen(s)); }

String& String::operator+=(char c) { return append(1, c); }

String& String::insert(size_t pos, const String& s) { return replace(pos, 0, s); }

String& String::insert(size_t pos, size_t n, char c) { return replace(pos, 0, n, c); }

String& String::erase(size_t pos, size_t n) { return replace(pos, n, String()); }

String& String::replace(size_t pos, size_t n, const String& s) {
  if (pos > size_) pos = size_;
  n = Clip(pos, n, size_);
  String out;
  out.reserve(size_ - n + s.size_);
  out.append(data_, pos).append(s).append(data_ + pos + n, size_ - pos - n);
  return *this = std::move(out);
}

String& String::replace(size_t pos, size_t n, size_t count, char c) { return replace(pos, n, String(count, c)); }

String String::substr(size_t pos, size_t n) const {
  if (pos > size_) pos = size_;
  return String(data_ + pos, Clip(pos, n, size_));
}

size_t String::find(const char* s, size_t pos) const { return find(s, pos, std::strlen(s)); }

size_t String::find(const char* s, size_t pos, size_t n) const {
  if (pos > size_ || n > size_ - pos) return npos;
  for (size_t i = pos; i + n <= size_; ++i)
    if (std::memcmp(data_ + i, s, n) == 0) return i;
  return npos;
}

size_t String::find(char c, size_t pos) const {
  if (pos >= size_) return npos;
  const void* p = std::memchr(data_ + pos, c, size_ - pos);
  return p == nullptr ? npos : static_cast<size_t>(static_cast<const char*>(p) - data_);
}

size_t String::rfind(const String& s, size_t pos) const {
  if (s.size_ > size_) return npos;
  size_t i = size_ - s.size_;
  if (pos < i) i = pos;
  for (;; --i) {
    if (std::memcmp(data_ + i, s.data_, s.size_) == 0) return i;
    if (i == 0) return npos;
  }
}

size_t String::rfind(char c, size_t pos) const {
  for (size_t i = pos < size_ ? pos + 1 : size_; i-- > 0;)
    if (data_[i] == c) return i;
  return npos;
}

size_t String::find_last_of(const char* chars, size_t pos) const {
  for (size_t i = pos < size_ ? pos + 1 : size_; i-- > 0;)
    if (std::strchr(chars, data_[i]) != nullptr && data_[i] != '\0') return i;
  return npos;
}

size_t String::find_first_of(const char* chars, size_t pos) const {
  for (size_t i = pos; i < size_; ++i)
    if (data_[i] != '\0' && std::strchr(chars, data_[i]) != nullptr) return i;
  return npos;
}

size_t String::find_first_not_of(const char* chars, size_t pos) const {
  for (size_t i = pos; i < size_; ++i)
    if (data_[i] == '\0' || std::strchr(chars, data_[i]) == nullptr) return i;
  return npos;
}

namespace {

int CompareBytes(const char* a, size_t an, const char* b, size_t bn) {
  const int r = std::memcmp(a, b, an < bn ? an : bn);
  if (r != 0) return r;
  return an < bn ? -1 : an > bn ? 1 : 0;
}

}  // namespace

int String::compare(size_t pos, size_t n, const char* s) const {
  if (pos > size_) pos = size_;
  return CompareBytes(data_ + pos, Clip(pos, n, size_), s, std::strlen(s));
}

int String::compare(size_t pos, size_t n, const String& s) const {
  if (pos > size_) pos = size_;
  return CompareBytes(data_ + pos, Clip(pos, n, size_), s.data_, s.size_);
}

int String::compare(const String& s) const { return CompareBytes(data_, size_, s.data_, s.size_); }

String operator+(const String& a, const String& b) {
  String r;
  r.reserve(a.size() + b.size());
  return std::move(r.append(a).append(b));
}

String operator+(const String& a, const char* b) {
  const size_t n = std::strlen(b);
  String r;
  r.reserve(a.size() + n);
  return std::move(r.append(a).append(b, n));
}

String operator+(const char* a, const String& b) {
  const size_t n = std::strlen(a);
  String r;
  r.reserve(n + b.size());
  return std::move(r.append(a, n).append(b));
}

String operator+(const String& a, char b) {
  String r;
  r.reserve(a.size() + 1);
  return std::move(r.append(a).append(1, b));
}

String operator+(char a, const String& b) {
  String r;
  r.reserve(1 + b.size());
  return std::move(r.append(1, a).append(b));
}

String&& operator+(String&& a, const String& b) { return std::move(a.append(b)); }

String&& operator+(String&& a, const char* b) { return std::move(a += b); }

String&& operator+(String&& a, char b) { return std::move(a += b); }

bool operator==(const String& a, const String& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size()) == 0;
}

bool operator==(const String& a, const char* b) {
  const size_t n = std::strlen(b);
  return a.size() == n && std::memcmp(a.data(), b, n) == 0;
}

}  // namespace vx
