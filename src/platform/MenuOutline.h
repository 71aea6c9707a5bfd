#pragma once

#include "platform/Menu.h"

#include <string>

namespace tolvane {

// A menu as a user sees it, one line per item, for tests, the front end and
// the tray's change detection:
// a submenu's items are indented under their root item by four blanks, a
// check mark reads "✓ " (on) or "- " (mixed) before the title, a key
// equivalent " ⌘q" after it, a disabled item " (disabled)" and a separator
// "---". For example:
//
//   Cursor style
//       System cursor
//       ✓ Letter badge
//   ---
//   Quit ⌘q
std::string menuOutline(const Menu& menu);

} // namespace tolvane
