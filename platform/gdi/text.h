// Text with pango: the shared context and UTF-32 to UTF-8.
#pragma once

#include <pango/pango.h>

#include <string>

namespace platform::gdi {

// One pango context for the process (font map, grey antialiasing, hinted
// metrics); not a GDI object, so it is never freed.
PangoContext* SharedPangoContext();

// UTF-32 text (count < 0: up to the terminator) as UTF-8; code points that
// are not characters, and NULs within `count`, become U+FFFD.
std::string ToUtf8(const wchar_t* text, int count);

}  // namespace platform::gdi
