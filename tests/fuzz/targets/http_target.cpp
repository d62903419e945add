// The portable pieces of downloads: partial-file names, the "404" page test, the Content-Range
// reader, the resume decision, the progress plan and the speed text. Input: numbers (length,
// stamp, offset, status, content length, tick, read size), then fields destination, partial
// file name, content range, page content.
#include <string>

#include "fuzz_input.h"
#include "fuzz_target.h"
#include "net/inet_http.h"
#include "text/utils.h"

namespace {

constexpr const char* kName = "http";

void CheckPartialNames(const std::string& dest, const std::string& name, int32_t length, uint32_t stamp) {
  const vx::String partial = vx::PartialFileName(dest, length, stamp);
  int32_t key = 0;
  VX_FUZZ_CHECK(kName, vx::PartialKeyOf(dest, partial, key) && key == vx::PartialKey(length, stamp),
                "a partial file name does not give its key back");
  if (vx::PartialKeyOf(dest, name, key))
    VX_FUZZ_CHECK(kName, std::string(vx::PartialFileName(name.substr(0, dest.size()), key, 0)) == name,
                  "a name taken as a partial file is not the one that key gives");
}

void CheckRange(const std::string& range, int64_t offset, int32_t partialKey, const vx::ReplyFacts& facts) {
  int64_t first = 0, last = 0, total = 0;
  if (vx::ParseContentRange(range, first, last, total)) {
    VX_FUZZ_CHECK(kName, 0 <= first && first <= last && last < total, "a range read out of order");
    const std::string again =
        "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(total);
    int64_t f2 = -1, l2 = -1, t2 = -1;
    VX_FUZZ_CHECK(kName, vx::ParseContentRange(again, f2, l2, t2) && f2 == first && l2 == last && t2 == total,
                  "a range written again reads differently");
  }
  const vx::ReplyPlan plan = vx::DecideReplyUse(offset, partialKey, facts);
  if (plan.use == vx::ReplyUse::Append)
    VX_FUZZ_CHECK(kName, offset > 0 && facts.status == 206 && first == offset &&
                             vx::PartialKey(plan.length, facts.stamp) == partialKey,
                  "a reply appended that does not continue the partial file");
  if (offset <= 0) VX_FUZZ_CHECK(kName, plan.use == vx::ReplyUse::Rewrite, "a reply without range not taken whole");
}

VX_FUZZ_TARGET(http) {
  vxfuzz::FuzzInput in(data, size);
  const int32_t length = in.I32();
  const uint32_t stamp = in.U32();
  const int64_t offset = in.I32();
  vx::ReplyFacts facts;
  const uint8_t status = in.Byte();
  facts.status = status == 1 ? 200 : status == 2 ? 206 : status == 3 ? 404 : static_cast<int32_t>(status) * 3;
  facts.contentLength = in.I32();
  facts.stamp = in.U32();
  const uint32_t tick = in.U32();
  const int32_t lastRead = in.I32();
  const std::string dest = in.Field();
  const std::string name = in.Field();
  facts.contentRange = in.Field();
  const std::string page = in.Field();

  CheckPartialNames(dest, name, length, stamp);
  CheckRange(facts.contentRange, offset, vx::PartialKey(length, stamp), facts);

  const vx::String text = vx::NotFoundPageText(page, dest, "default");
  const bool notFound = vx::PosCI("<TITLE", page) > 0 && vx::PosCI("</TITLE", page) > 0 &&
                        page.find("404") != std::string::npos;
  VX_FUZZ_CHECK(kName, (text != "default") == notFound, "a 404 page told wrongly");

  const vx::ProgressPlan plan = vx::DownloadProgressPlan(length, static_cast<int32_t>(offset));
  VX_FUZZ_CHECK(kName, plan.chunk >= 1 && plan.chunk <= 10240 && plan.max >= 1 && plan.position >= 0,
                "a progress plan out of range");
  const int64_t units = vx::ChunkUnits(offset, plan.chunk);
  VX_FUZZ_CHECK(kName, units >= 0 && (offset <= 0 || units * plan.chunk >= offset),
                "chunk units do not cover the bytes");
  vx::SpeedTextAt((tick & 1) != 0, length, static_cast<int32_t>(offset), lastRead, tick);
  vx::SpeedTextAt(false, length, static_cast<int32_t>(offset), lastRead, tick + 250);
  vx::PackDosDateTime(vx::CivilTime{1980 + (length & 255), (length >> 8) & 15, (length >> 12) & 31,
                                    (length >> 17) & 31, static_cast<int>(stamp & 63), static_cast<int>((stamp >> 6) & 63)});
  vx::RangeHeader(offset);
  vx::NotFoundErrorText(dest);
  vx::OpenUrlErrorText(dest);
}

}  // namespace
