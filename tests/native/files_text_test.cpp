// Portable pieces of the file utilities: write chunking, file names, the self-delete batch.
#include <gtest/gtest.h>

#include "system/files.h"

namespace vx {
namespace {

TEST(FileWrite, ChunkSizes) {
  struct Case {
    uint64_t length;
    uint32_t chunk;
  } const cases[] = {
      {0, 0},
      {100, 100},                  // one call
      {1048576, 1048576},          // up to 1 MiB in one call
      {1048577, 104857},           // above: a tenth
      {5 * 1048576, 524288},       // 5 MiB in 512 KiB chunks
      {20 * 1048576, 1048576},     // at most 1 MiB
      {100 * 1048576ull, 1048576},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    EXPECT_EQ(WriteChunkSize(c.length), c.chunk);
  }
}

TEST(FileNames, WithoutExtension) {
  struct Case {
    const char* path;
    const char* name;
  } const cases[] = {
      {"C:\\dir\\setup.exe", "setup"},
      {"C:\\dir.x\\setup", "setup"},       // a dot in the folder does not count
      {"archive.tar.gz", "archive.tar"},   // from the last dot
      {"C:\\dir\\.hidden", ""},
      {"C:\\dir\\", ""},
      {"X_agent.EXE", "X_agent"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileNameWithoutExt(c.path, nullptr), c.name);
  }
}

TEST(SelfDeleteBatch, LinesQuotedWithCrLf) {
  const std::string prog = "C:\\Program Files\\My App\\agent.exe";
  const std::string dir = "C:\\Program Files\\My App";
  const std::string bat = "C:\\Temp Dir\\_DEL_ME_.BAT";
  EXPECT_EQ(SelfDeleteBatchText(prog, dir, bat, true),
            ":START\r\n"
            "DEL \"C:\\Program Files\\My App\\agent.exe\"\r\n"
            "IF exist \"C:\\Program Files\\My App\\agent.exe\" GOTO START\r\n"
            "RD \"C:\\Program Files\\My App\"\r\n"
            "DEL \"C:\\Temp Dir\\_DEL_ME_.BAT\"\r\n");
  // Without the folder: four lines.
  EXPECT_EQ(SelfDeleteBatchText(prog, dir, bat, false),
            ":START\r\n"
            "DEL \"C:\\Program Files\\My App\\agent.exe\"\r\n"
            "IF exist \"C:\\Program Files\\My App\\agent.exe\" GOTO START\r\n"
            "DEL \"C:\\Temp Dir\\_DEL_ME_.BAT\"\r\n");
  EXPECT_STREQ(kSelfDeleteBatchName, "_DEL_ME_.BAT");
}

}  // namespace
}  // namespace vx
