// The practical limit for extraction: plain zlib inflating every file block of a package into
// files, with nothing else (no checksum, no name checks, no messages).
//   baseline_inflate PACKAGE DIR
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kChunk = 256 * 1024;

uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

bool ReadAt(int fd, uint64_t off, void* buf, size_t len) {
  return pread(fd, buf, len, static_cast<off_t>(off)) == static_cast<ssize_t>(len);
}

void MakeParents(const std::string& path) {
  for (size_t i = 1; i < path.size(); ++i)
    if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: baseline_inflate PACKAGE DIR\n");
    return 2;
  }
  const int fd = open(argv[1], O_RDONLY);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) return 1;
  const uint64_t end = static_cast<uint64_t>(st.st_size);
  uint8_t trailer[74];
  if (end < 74 || !ReadAt(fd, end - 74, trailer, 74) || U32(trailer + 12) != 0x4A3B2C1Du) return 1;
  const int strings = trailer[1] == 0 ? 2 : trailer[1];
  uint64_t pos = U32(trailer + 4);
  const std::string root = argv[2];
  mkdir(root.c_str(), 0755);
  std::vector<uint8_t> in(kChunk), out(kChunk);
  int block = 0;
  uint64_t total = 0;
  while (end - pos > 74) {
    uint8_t lb[4];
    if (!ReadAt(fd, pos, lb, 4)) return 1;
    const uint32_t len = U32(lb);
    uint64_t at = pos + 4, left = len;
    pos += 4 + static_cast<uint64_t>(len);
    if (++block <= strings) continue;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return 1;
    std::string header;
    bool inHeader = true;
    int ofd = -1;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
      if (zs.avail_in == 0) {
        if (left == 0) return 1;
        const size_t n = left < kChunk ? static_cast<size_t>(left) : kChunk;
        if (!ReadAt(fd, at, in.data(), n)) return 1;
        at += n;
        left -= n;
        zs.next_in = in.data();
        zs.avail_in = static_cast<uInt>(n);
      }
      zs.next_out = out.data();
      zs.avail_out = kChunk;
      rc = inflate(&zs, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return 1;
      const uint8_t* p = out.data();
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
          if (c == '\\') c = '/';
        const std::string path = root + "/" + name;
        MakeParents(path);
        ofd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (ofd < 0) return 1;
      }
      if (n > 0 && write(ofd, p, n) != static_cast<ssize_t>(n)) return 1;
      total += n;
    }
    inflateEnd(&zs);
    if (ofd >= 0) close(ofd);
  }
  close(fd);
  std::printf("%d blocks, %llu bytes\n", block, static_cast<unsigned long long>(total));
  return 0;
}
