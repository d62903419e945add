// The practical limit for extraction: plain zlib inflating every file block of a package into
// files, with nothing else (no checksum, no name checks, no file times, no messages). Plain
// stdio and 256 KiB pieces, so the same source is the Linux baseline and, built with MinGW and
// run under Wine, the Windows one.
//   baseline_inflate PACKAGE DIR
// Prints "ms=<milliseconds from opening the package to closing it> <blocks> blocks, <n> bytes".
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <direct.h>
#else
#include <sys/stat.h>
#endif

namespace {

constexpr size_t kChunk = 256 * 1024;

#if defined(_WIN32)
constexpr char kSep = '\\';
void MakeFolder(const std::string& path) { _mkdir(path.c_str()); }
bool Seek(std::FILE* f, uint64_t off) { return _fseeki64(f, static_cast<__int64>(off), SEEK_SET) == 0; }
uint64_t SizeOf(std::FILE* f) {
  return _fseeki64(f, 0, SEEK_END) == 0 && _ftelli64(f) > 0 ? static_cast<uint64_t>(_ftelli64(f)) : 0;
}
#else
constexpr char kSep = '/';
void MakeFolder(const std::string& path) { mkdir(path.c_str(), 0755); }
bool Seek(std::FILE* f, uint64_t off) { return fseeko(f, static_cast<off_t>(off), SEEK_SET) == 0; }
uint64_t SizeOf(std::FILE* f) {
  return fseeko(f, 0, SEEK_END) == 0 && ftello(f) > 0 ? static_cast<uint64_t>(ftello(f)) : 0;
}
#endif

uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

bool Read(std::FILE* f, void* buf, size_t len) { return std::fread(buf, 1, len, f) == len; }

// Creates the folders of a relative name below root, each once per run of names in one folder.
void MakeParents(const std::string& root, const std::string& name, std::string& lastFolder) {
  const size_t cut = name.find_last_of(kSep);
  if (cut == std::string::npos || name.compare(0, cut, lastFolder) == 0) return;
  lastFolder = name.substr(0, cut);
  for (size_t i = 0; i <= cut; ++i)
    if (name[i] == kSep) MakeFolder(root + kSep + name.substr(0, i));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: baseline_inflate PACKAGE DIR\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  std::FILE* in = std::fopen(argv[1], "rb");
  if (in == nullptr) return 1;
  const uint64_t end = SizeOf(in);
  uint8_t trailer[74];
  if (end < 74 || !Seek(in, end - 74) || !Read(in, trailer, 74) || U32(trailer + 12) != 0x4A3B2C1Du) return 1;
  const int strings = trailer[1] == 0 ? 2 : trailer[1];
  uint64_t pos = U32(trailer + 4);
  if (!Seek(in, pos)) return 1;
  const std::string root = argv[2];
  MakeFolder(root);
  std::vector<uint8_t> inBuf(kChunk), outBuf(kChunk);
  std::string lastFolder;
  int block = 0;
  uint64_t total = 0;
  while (end - pos > 74) {
    uint8_t lb[4];
    if (!Read(in, lb, 4)) return 1;
    const uint32_t len = U32(lb);
    uint64_t left = len;
    pos += 4 + static_cast<uint64_t>(len);
    if (++block <= strings) {
      if (!Seek(in, pos)) return 1;
      continue;
    }
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return 1;
    std::string header;
    bool inHeader = true;
    std::FILE* out = nullptr;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
      if (zs.avail_in == 0) {
        if (left == 0) return 1;
        const size_t n = left < kChunk ? static_cast<size_t>(left) : kChunk;
        if (!Read(in, inBuf.data(), n)) return 1;
        left -= n;
        zs.next_in = inBuf.data();
        zs.avail_in = static_cast<uInt>(n);
      }
      zs.next_out = outBuf.data();
      zs.avail_out = kChunk;
      rc = inflate(&zs, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return 1;
      const uint8_t* p = outBuf.data();
      size_t n = kChunk - zs.avail_out;
      if (inHeader) {
        const void* z = std::memchr(p, 0, n);
        const size_t take = z ? static_cast<size_t>(static_cast<const uint8_t*>(z) - p) : n;
        header.append(reinterpret_cast<const char*>(p), take);
        if (z == nullptr) continue;
        inHeader = false;
        p += take + 1;
        n -= take + 1;
        // "|name|date|": the name, "*" and parameters cut, backslashes as folders.
        std::string name = header.substr(1, header.find(header[0], 1) - 1);
        name = name.substr(0, name.find('*'));
        for (char& c : name)
          if (c == '\\' || c == '/') c = kSep;
        MakeParents(root, name, lastFolder);
        out = std::fopen((root + kSep + name).c_str(), "ab");
        if (out == nullptr) return 1;
      }
      if (n > 0 && std::fwrite(p, 1, n, out) != n) return 1;
      total += n;
    }
    inflateEnd(&zs);
    if (out != nullptr) std::fclose(out);
    if (left > 0 && !Seek(in, pos)) return 1;  // a stream that ended before its block did
  }
  std::fclose(in);
  const long long ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::printf("ms=%lld %d blocks, %llu bytes\n", ms, block, static_cast<unsigned long long>(total));
  return 0;
}
