#include "X11Log.h"

#include <cstdio>

namespace tolvane {

void x11log(const std::string& line) {
    std::fprintf(stderr, "x11ws: %s\n", line.c_str());
}

} // namespace tolvane
