// zlib wrapper: streaming inflation with zlib 1.1.4's interface version and message texts.
#include "package/zlib_stream.h"

#include <zlib.h>

#include <new>

namespace vx {

struct InflateStream::State {
  z_stream zs;
};

const char* ZLibMessage(int code) {
  static const char* const kMessages[] = {
      "incompatible version",  // -6
      "buffer error",          // -5
      "insufficient memory",   // -4
      "data error",            // -3
      "stream error",          // -2
      "file error",            // -1
      "",                      // 0
      "stream end",            // 1
      "need dictionary",       // 2
  };
  if (code < -6 || code > 2) return "";
  return kMessages[code + 6];
}

EZLibError MakeZLibError(int code) {
  EZLibError e;
  e.code = code;
  e.message = ZLibMessage(code);
  return e;
}

InflateStream::InflateStream() : state_(new (std::nothrow) State()) {}

InflateStream::~InflateStream() {
  if (state_ != nullptr && live_) inflateEnd(&state_->zs);
  delete state_;
}

bool InflateStream::Init(EZLibError& err) {
  if (state_ == nullptr) {
    err = MakeZLibError(Z_MEM_ERROR);
    return false;
  }
  if (live_) inflateEnd(&state_->zs);
  live_ = false;
  state_->zs = z_stream();
  // The interface version the package format was made with; zlib compares its first digit only.
  const int rc = inflateInit_(&state_->zs, "1.1.4", static_cast<int>(sizeof(z_stream)));
  if (rc < 0) {
    err = MakeZLibError(rc);
    return false;
  }
  live_ = true;
  return true;
}

void InflateStream::SetInput(const uint8_t* data, size_t len) {
  if (!live_) return;
  state_->zs.next_in = const_cast<Bytef*>(data);
  state_->zs.avail_in = static_cast<uInt>(len);
}

size_t InflateStream::InputLeft() const { return live_ ? state_->zs.avail_in : 0; }

InflateStream::Step InflateStream::Inflate(uint8_t* out, size_t capacity, size_t& produced,
                                           EZLibError& err) {
  produced = 0;
  if (!live_) {
    err = MakeZLibError(Z_STREAM_ERROR);
    return Step::kError;
  }
  z_stream& zs = state_->zs;
  zs.next_out = out;
  zs.avail_out = static_cast<uInt>(capacity);
  const uInt inBefore = zs.avail_in;
  const int rc = inflate(&zs, Z_NO_FLUSH);
  produced = capacity - zs.avail_out;
  if (rc == Z_STREAM_END) return Step::kEnd;
  if (rc == Z_BUF_ERROR) return Step::kStalled;  // not fatal while more input can follow
  if (rc == Z_NEED_DICT || rc < 0) {
    // A preset dictionary is never supplied: the stream cannot be inflated.
    err = MakeZLibError(rc);
    return Step::kError;
  }
  if (produced == 0 && zs.avail_in == inBefore) return Step::kStalled;
  return Step::kProgress;
}

bool InflateStream::End(EZLibError& err) {
  if (!live_) return true;
  live_ = false;
  const int rc = inflateEnd(&state_->zs);
  if (rc < 0) {
    err = MakeZLibError(rc);
    return false;
  }
  return true;
}

const char* InflateStream::Detail() const { return state_ != nullptr ? state_->zs.msg : nullptr; }

bool InflateBlock(const String& in, String& out, EZLibError& err, size_t maxOutput) {
  out.clear();
  InflateStream zs;
  if (!zs.Init(err)) return false;
  zs.SetInput(reinterpret_cast<const uint8_t*>(in.data()), in.size());
  uint8_t buf[16384];
  for (;;) {
    size_t produced = 0;
    const InflateStream::Step step = zs.Inflate(buf, sizeof buf, produced, err);
    if (produced > maxOutput - out.size()) {
      err = MakeZLibError(Z_MEM_ERROR);
      out.clear();
      return false;
    }
    out.append(reinterpret_cast<const char*>(buf), produced);
    if (step == InflateStream::Step::kEnd) break;
    if (step == InflateStream::Step::kError) {
      out.clear();
      return false;
    }
    if (step == InflateStream::Step::kStalled) {  // all input used, stream not ended
      err = MakeZLibError(Z_BUF_ERROR);
      out.clear();
      return false;
    }
  }
  if (!zs.End(err)) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace vx
