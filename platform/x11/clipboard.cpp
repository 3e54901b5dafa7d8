#include "x11/clipboard.h"

#include <X11/Xatom.h>
#include <poll.h>

#include <chrono>
#include <climits>

#include "x11/text.h"

namespace platform::x11 {
namespace {

using Clock = std::chrono::steady_clock;

// Waits for the owner's SelectionNotify; false when none came in time.
bool WaitForSelectionNotify(Display* dpy, Window requestor, Clock::time_point deadline, XEvent* ev) {
  for (;;) {
    if (XCheckTypedWindowEvent(dpy, requestor, SelectionNotify, ev)) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left));
  }
}

// Reads and deletes the property a selection was converted into.
bool TakeProperty(Display* dpy, Window w, Atom property, Atom* type, std::string* bytes) {
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, w, property, 0, LONG_MAX / 4, True, AnyPropertyType, &actualType, &format, &count, &after,
                         &data) != Success)
    return false;
  if (data && format == 8) bytes->assign(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  *type = actualType;
  return format == 8;
}

}  // namespace

void AnswerSelectionRequest(Display* dpy, const Atoms& atoms, const XSelectionRequestEvent& request,
                            const std::wstring& text) {
  // Clients older than ICCCM 2 leave the property None: use the target.
  const Atom property = request.property != None ? request.property : request.target;
  Atom answered = property;
  if (request.target == atoms.targets) {
    const long targets[] = {static_cast<long>(atoms.targets), static_cast<long>(atoms.utf8String),
                            static_cast<long>(XA_STRING)};
    XChangeProperty(dpy, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(targets), 3);
  } else if (request.target == atoms.utf8String || request.target == XA_STRING) {
    const std::string bytes = request.target == XA_STRING ? ToLatin1(text) : ToUtf8(text);
    XChangeProperty(dpy, request.requestor, property, request.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  } else {
    answered = None;
  }
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.property = answered;
  reply.xselection.time = request.time;
  XSendEvent(dpy, request.requestor, False, NoEventMask, &reply);
  XFlush(dpy);
}

std::wstring RequestClipboardText(Display* dpy, const Atoms& atoms, Window requestor, int timeoutMs) {
  if (XGetSelectionOwner(dpy, atoms.clipboard) == None) return {};
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (Atom target : {atoms.utf8String, static_cast<Atom>(XA_STRING)}) {
    XDeleteProperty(dpy, requestor, atoms.pasteProperty);
    XConvertSelection(dpy, atoms.clipboard, target, atoms.pasteProperty, requestor, CurrentTime);
    XFlush(dpy);
    XEvent ev;
    if (!WaitForSelectionNotify(dpy, requestor, deadline, &ev)) return {};
    if (ev.xselection.property == None) continue;  // the owner cannot give this type
    Atom type = None;
    std::string bytes;
    if (!TakeProperty(dpy, requestor, ev.xselection.property, &type, &bytes)) return {};
    return type == atoms.utf8String ? FromUtf8(bytes) : FromLatin1(bytes);
  }
  return {};
}

}  // namespace platform::x11
