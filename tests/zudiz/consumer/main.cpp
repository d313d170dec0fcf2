#include <cstdio>
#include <zudiz/zudiz.h>

int main() {
  zudiz::Result r = zudiz::compareTexts("T\nP\n\nA 1.00\n", "T\nP\n\nA 2.00\n");
  std::fputs(r.output.c_str(), stdout);
  return r.status == zudiz::Status::kDifferent ? 0 : 1;
}
