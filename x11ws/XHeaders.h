#pragma once

// The X headers this library uses, included in one place: X.h defines
// CursorShape (a class for XQueryBestSize we never pass), which would take the
// name of our shape enumeration.
#include <X11/Xlib.h>
#include <X11/Xcursor/Xcursor.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrender.h>

#undef CursorShape
