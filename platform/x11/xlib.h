// Xlib for the driver's files. X.h names a constant CursorShape (a
// QueryBestSize class we never use), which clashes with the driver
// interface's enum of that name.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef CursorShape
