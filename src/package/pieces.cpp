// Names of the pieces of a spanned package.
#include "package/package.h"
#include "text/utils.h"

namespace vx {

String PieceBase(const String& firstPiece) {
  String base = firstPiece;
  if (EndsWith(".001", base, false)) base.resize(base.size() - 4);
  return base;
}

String PiecePath(const String& base, int piece) { return base + "." + ZeroPad(piece, 3); }

int PieceNumberInName(const String& path) {
  if (path.size() < 4 || path[path.size() - 4] != '.') return 0;
  int n = 0;
  for (size_t i = path.size() - 3; i < path.size(); ++i) {
    if (path[i] < '0' || path[i] > '9') return 0;
    n = n * 10 + (path[i] - '0');
  }
  return n;
}

}  // namespace vx
