// The zlib wrapper: a streaming inflater over caller buffers, and whole-block inflation.
// Nothing here throws: a failure is reported as an EZLibError value.
#pragma once
#include <cstddef>
#include <cstdint>

#include "text/str.h"

namespace vx {

// zlib's result code and its message text ("data error", "buffer error", ...).
struct EZLibError {
  int code = 0;
  const char* message = "";  // a constant text
};

// The message zlib 1.1.4 gives for a result code; "need dictionary" for 2, empty for unknown codes.
const char* ZLibMessage(int code);
EZLibError MakeZLibError(int code);

// One zlib (RFC 1950) inflate stream, fed piece by piece.
class InflateStream {
 public:
  enum class Step {
    kProgress,  // made progress; call again (after giving more input when InputLeft() is 0)
    kEnd,       // the stream ended
    kStalled,   // no progress possible without more input
    kError,     // damaged data, a preset dictionary request or a zlib failure
  };

  InflateStream();
  ~InflateStream();
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;

  // Initialises zlib with the interface version "1.1.4". False (with err set) on failure.
  bool Init(EZLibError& err);
  void SetInput(const uint8_t* data, size_t len);
  size_t InputLeft() const;
  // Inflates into out[0 .. capacity); produced receives the number of bytes written there.
  Step Inflate(uint8_t* out, size_t capacity, size_t& produced, EZLibError& err);
  // Releases zlib's state; tests its result like every other call.
  bool End(EZLibError& err);
  // zlib's own words for its last failure ("incorrect header check" ...), or null.
  const char* Detail() const;

 private:
  struct State;
  State* state_;
  bool live_ = false;
};

// Inflates one complete zlib stream held in memory. Output beyond maxOutput bytes is a failure
// (code -4, "insufficient memory"), so damaged input cannot exhaust memory.
bool InflateBlock(const String& in, String& out, EZLibError& err,
                  size_t maxOutput = size_t(1) << 30);

}  // namespace vx
