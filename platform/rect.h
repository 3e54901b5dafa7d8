// Rectangle arithmetic on half-open RECTs (right and bottom excluded), for
// the window model and GDI alike.
#pragma once

#include "win32_layer.h"

namespace platform {

bool IsEmpty(const RECT& r);
// Empty results are {0, 0, 0, 0}.
RECT Intersect(const RECT& a, const RECT& b);
RECT Union(const RECT& a, const RECT& b);
RECT Offset(const RECT& r, int dx, int dy);

}  // namespace platform
