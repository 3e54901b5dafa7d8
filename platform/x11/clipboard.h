// The CLIPBOARD selection: answering other clients as its owner, and asking
// its owner for the text.
#pragma once

#include "x11/xlib.h"

#include <string>

#include "x11/atoms.h"

namespace platform::x11 {

// Answers a request for our selection: TARGETS, UTF8_STRING or STRING;
// anything else is refused.
void AnswerSelectionRequest(Display* dpy, const Atoms& atoms, const XSelectionRequestEvent& request,
                            const std::wstring& text);

// Asks the owner of CLIPBOARD for its text (UTF8_STRING, then STRING),
// delivered to `requestor`; waits at most `timeoutMs`. Empty when there is
// no owner, no text or no answer in time.
std::wstring RequestClipboardText(Display* dpy, const Atoms& atoms, Window requestor, int timeoutMs);

}  // namespace platform::x11
