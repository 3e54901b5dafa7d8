#include "conformance.h"

namespace conformance {

void WaitMs(int ms) { Sleep(static_cast<DWORD>(ms)); }

}  // namespace conformance
