#pragma once

#include <string>

namespace tolvane {

// One line on standard error: the library runs inside the program but keeps
// no log of its own.
void x11log(const std::string& line);

} // namespace tolvane
