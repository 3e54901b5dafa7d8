// Copy and paste with other clients through CLIPBOARD.
#include "second_client.h"

#include <X11/Xatom.h>
#include <poll.h>

#include <atomic>
#include <climits>

#include "x11/text.h"

namespace x11test {
namespace {

using ClipboardTest = DriverTest;

// Asks the clipboard's owner for `target` from the other client while the
// driver runs its loop; the converted bytes, or nullopt-like "<none>".
std::string Convert(OtherClient& client, platform::X11Driver& driver, const char* target) {
  Display* d = client.dpy();
  const Window requestor = client.MapWindow(700, 700, 10, 10, 0);
  const Atom property = client.AtomNamed("TEST_PASTE");
  XConvertSelection(d, client.AtomNamed("CLIPBOARD"), client.AtomNamed(target), property, requestor, CurrentTime);
  XSync(d, False);
  XEvent ev{};
  bool got = false;
  PumpUntil(driver, [&] { return got = XCheckTypedWindowEvent(d, requestor, SelectionNotify, &ev); });
  if (!got || ev.xselection.property == None) return "<none>";
  if (std::string(target) == "TARGETS") {
    std::string names;
    for (long atom : client.Longs(requestor, "TEST_PASTE")) {
      char* name = XGetAtomName(d, static_cast<Atom>(atom));
      names += std::string(name) + " ";
      XFree(name);
    }
    return names;
  }
  return client.Bytes(requestor, "TEST_PASTE");
}

TEST_F(ClipboardTest, CopiedTextIsOfferedAsUtf8AndLatin1) {
  driver->SetClipboardText(L"Boss \u00e4 \u0416");
  XSync(driver->display(), False);
  EXPECT_EQ(Convert(*other, *driver, "UTF8_STRING"), "Boss \xC3\xA4 \xD0\x96");
  EXPECT_EQ(Convert(*other, *driver, "STRING"), "Boss \xE4 ?");
  EXPECT_EQ(Convert(*other, *driver, "TARGETS"), "TARGETS UTF8_STRING STRING ");
  EXPECT_EQ(Convert(*other, *driver, "image/png"), "<none>");
  // Our own paste needs no round trip.
  EXPECT_EQ(driver->ClipboardText(), L"Boss \u00e4 \u0416");
}

// Another application owns the clipboard and answers from its own loop.
class ClipboardOwner {
 public:
  ClipboardOwner(std::string utf8, bool answers) : utf8_(std::move(utf8)), answers_(answers) {
    w_ = client_.MapWindow(710, 710, 10, 10, 0);
    XSetSelectionOwner(client_.dpy(), client_.AtomNamed("CLIPBOARD"), w_, CurrentTime);
    XSync(client_.dpy(), False);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ClipboardOwner() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Serve() {
    Display* d = client_.dpy();
    const Atom utf8 = client_.AtomNamed("UTF8_STRING");
    while (!stop_) {
      XEvent ev;
      if (!client_.NextEvent(w_, SelectionRequest, &ev, 20) || !answers_) continue;
      const XSelectionRequestEvent& req = ev.xselectionrequest;
      XEvent reply{};
      reply.xselection.type = SelectionNotify;
      reply.xselection.requestor = req.requestor;
      reply.xselection.selection = req.selection;
      reply.xselection.target = req.target;
      reply.xselection.time = req.time;
      reply.xselection.property = None;
      if (req.target == utf8) {
        XChangeProperty(d, req.requestor, req.property, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8_.data()), static_cast<int>(utf8_.size()));
        reply.xselection.property = req.property;
      }
      XSendEvent(d, req.requestor, False, 0, &reply);
      XSync(d, False);
    }
  }

  OtherClient client_;
  Window w_;
  std::string utf8_;
  bool answers_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST_F(ClipboardTest, PastesAnotherApplicationsUtf8Text) {
  ClipboardOwner owner(
      "\xC3\x9C"
      "ber \xD0\x96 run",
      true);
  EXPECT_EQ(driver->ClipboardText(), L"\u00dcber \u0416 run");
}

TEST_F(ClipboardTest, AnOwnerThatNeverAnswersCostsAtMostHalfASecond) {
  ClipboardOwner owner("never", false);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(driver->ClipboardText(), L"");
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(900));
  EXPECT_GE(took, std::chrono::milliseconds(400));
}

TEST_F(ClipboardTest, AnotherOwnerTakingTheClipboardReplacesOurText) {
  driver->SetClipboardText(L"ours");
  XSync(driver->display(), False);
  ClipboardOwner owner("theirs", true);
  Pump(*driver, 50);
  EXPECT_EQ(driver->ClipboardText(), L"theirs");
}

}  // namespace
}  // namespace x11test
