#include "portal/portal_shortcuts.h"

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cstring>

#include "events.h"
#include "portal/portal_names.h"

namespace platform::x11 {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kShortcuts = "org.freedesktop.portal.GlobalShortcuts";
constexpr std::uint64_t kCallTimeoutUs = 5'000'000;

// One token for every session: the desktop files the shortcuts under it, so
// Brenvik keeps one entry in its settings across restarts and rebinds.
constexpr const char* kSessionToken = "brenvik";

// What a Request's Response carries that we use.
struct Response {
  std::uint32_t code = 2;
  std::string sessionHandle;
  bool listsShortcuts = false;  // the results had a "shortcuts" entry
  std::vector<std::string> shortcutIds;
};

std::vector<std::string> ReadShortcutIds(sd_bus_message* m) {
  std::vector<std::string> ids;
  if (sd_bus_message_enter_container(m, 'a', "(sa{sv})") <= 0) return ids;
  while (sd_bus_message_enter_container(m, 'r', "sa{sv}") > 0) {
    const char* id = nullptr;
    if (sd_bus_message_read(m, "s", &id) > 0) ids.emplace_back(id);
    sd_bus_message_skip(m, "a{sv}");
    sd_bus_message_exit_container(m);
  }
  sd_bus_message_exit_container(m);
  return ids;
}

Response ReadResponse(sd_bus_message* m) {
  Response response;
  if (sd_bus_message_read(m, "u", &response.code) < 0) return {};
  if (sd_bus_message_enter_container(m, 'a', "{sv}") <= 0) return response;
  while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
    const char* key = nullptr;
    char type = 0;
    const char* contents = nullptr;
    if (sd_bus_message_read(m, "s", &key) < 0 || sd_bus_message_peek_type(m, &type, &contents) < 0) break;
    if (std::strcmp(key, "session_handle") == 0 && contents && (*contents == 's' || *contents == 'o')) {
      const char* handle = nullptr;
      sd_bus_message_enter_container(m, 'v', contents);
      if (sd_bus_message_read_basic(m, *contents, &handle) > 0) response.sessionHandle = handle;
      sd_bus_message_exit_container(m);
    } else if (std::strcmp(key, "shortcuts") == 0 && contents && std::strcmp(contents, "a(sa{sv})") == 0) {
      sd_bus_message_enter_container(m, 'v', contents);
      response.listsShortcuts = true;
      response.shortcutIds = ReadShortcutIds(m);
      sd_bus_message_exit_container(m);
    } else {
      sd_bus_message_skip(m, "v");
    }
    sd_bus_message_exit_container(m);
  }
  return response;
}

// The answer to the request in flight: the match that waited for it goes.
Response TakeResponse(sd_bus_slot*& waiting, sd_bus_message* m) {
  waiting = sd_bus_slot_unref(waiting);
  return ReadResponse(m);
}

// Portals before the host registry do not know it; that is no reason to stop.
bool PortalIsAbsent(const sd_bus_error& error) {
  for (const char* name : {SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER, SD_BUS_ERROR_NO_REPLY,
                           SD_BUS_ERROR_TIMEOUT, SD_BUS_ERROR_DISCONNECTED})
    if (sd_bus_error_has_name(&error, name)) return true;
  return false;
}

bool SameKeys(const std::vector<PortalShortcuts::Key>& a, const std::vector<PortalShortcuts::Key>& b) {
  return std::equal(
      a.begin(), a.end(), b.begin(), b.end(),
      [](const PortalShortcuts::Key& x, const PortalShortcuts::Key& y) { return x.id == y.id && x.vk == y.vk; });
}

std::vector<std::string> IdsOf(const std::vector<PortalShortcuts::Key>& keys) {
  std::vector<std::string> ids;
  for (const PortalShortcuts::Key& key : keys) ids.push_back(ShortcutIdOf(key.id));
  return ids;
}

}  // namespace

std::unique_ptr<PortalShortcuts> PortalShortcuts::Connect(const char* appId, TriggerOfVk triggerOf) {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return nullptr;
  sd_bus_set_method_call_timeout(bus, kCallTimeoutUs);
  // Newer portals want to know who we are before any other call.
  sd_bus_error error = SD_BUS_ERROR_NULL;
  int r = sd_bus_call_method(bus, kPortal, kPortalPath, "org.freedesktop.host.portal.Registry", "Register", &error,
                             nullptr, "sa{sv}", appId, 0);
  const bool absent = r < 0 && PortalIsAbsent(error);
  sd_bus_error_free(&error);
  std::uint32_t version = 0;
  if (!absent) r = sd_bus_get_property_trivial(bus, kPortal, kPortalPath, kShortcuts, "version", &error, 'u', &version);
  sd_bus_error_free(&error);
  if (absent || r < 0) {
    sd_bus_flush_close_unref(bus);
    return nullptr;
  }
  std::unique_ptr<PortalShortcuts> portal(new PortalShortcuts(bus, triggerOf));
  if (sd_bus_match_signal(bus, &portal->activatedSlot_, nullptr, kPortalPath, kShortcuts, "Activated",
                          &PortalShortcuts::OnActivated, portal.get()) < 0)
    return nullptr;
  return portal;
}

PortalShortcuts::PortalShortcuts(sd_bus* bus, TriggerOfVk triggerOf) : bus_(bus), triggerOf_(triggerOf) {}

PortalShortcuts::~PortalShortcuts() {
  CloseSession();
  sd_bus_slot_unref(responseSlot_);
  sd_bus_slot_unref(closingSlot_);
  sd_bus_slot_unref(activatedSlot_);
  sd_bus_flush_close_unref(bus_);
}

bool PortalShortcuts::Add(int id, UINT vk) {
  // A key without a keysym has no name to offer the desktop.
  if (triggerOf_(vk).empty()) return false;
  for (const Key& key : keys_)
    if (key.vk == vk) return false;
  keys_.push_back({id, vk});
  bindWanted_ = true;
  return true;
}

void PortalShortcuts::Remove(UINT vk) {
  const auto gone = std::remove_if(keys_.begin(), keys_.end(), [vk](const Key& key) { return key.vk == vk; });
  if (gone == keys_.end()) return;
  keys_.erase(gone, keys_.end());
  bindWanted_ = true;
}

PollNeed PortalShortcuts::PrepareWait() {
  // Started only when the desktop has answered the last request.
  if (bindWanted_ && !responseSlot_ && !closingSlot_ && !failed_) {
    bindWanted_ = false;
    Sync();
  }
  PollNeed need;
  need.fd = sd_bus_get_fd(bus_);
  const int events = sd_bus_get_events(bus_);
  need.events = static_cast<short>(events > 0 ? events : POLLIN);
  std::uint64_t deadlineUs = 0;
  if (sd_bus_get_timeout(bus_, &deadlineUs) >= 0 && deadlineUs != UINT64_MAX) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowUs = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
    need.timeoutMs = deadlineUs <= nowUs ? 0 : static_cast<int>((deadlineUs - nowUs + 999) / 1000);
  }
  return need;
}

void PortalShortcuts::Process() {
  int r = 0;
  while ((r = sd_bus_process(bus_, nullptr)) > 0) {
  }
  if (r < 0) Fail();  // the bus went away
}

std::string PortalShortcuts::ExpectResponse(sd_bus_message_handler_t handler) {
  std::string token = "brenvik" + std::to_string(++tokens_);
  const char* unique = nullptr;
  sd_bus_get_unique_name(bus_, &unique);
  // Subscribed before the call, so an answer that comes at once is not missed.
  if (!unique || sd_bus_match_signal(bus_, &responseSlot_, nullptr, RequestPathFor(unique, token).c_str(),
                                     "org.freedesktop.portal.Request", "Response", handler, this) < 0) {
    Fail();
    return {};
  }
  return token;
}

void PortalShortcuts::Sync() {
  if (session_.empty()) {
    if (!keys_.empty()) StartSession();
    return;
  }
  // A Save without a change asks the desktop nothing.
  if (SameKeys(keys_, synced_)) return;
  // Some desktops bind only when a session is made: the old one goes first,
  // and the new one, under the same token, follows its Close.
  closedSlot_ = sd_bus_slot_unref(closedSlot_);
  if (sd_bus_call_method_async(bus_, &closingSlot_, kPortal, session_.c_str(), "org.freedesktop.portal.Session",
                               "Close", &PortalShortcuts::OnOldSessionClosed, this, "") < 0)
    Fail();
  session_.clear();
}

void PortalShortcuts::AppendShortcuts(sd_bus_message* m, const std::vector<std::string>& ids) {
  int r = sd_bus_message_open_container(m, 'a', "(sa{sv})");
  for (const Key& key : keys_) {
    const std::string id = ShortcutIdOf(key.id);
    if (r < 0) break;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) continue;
    const std::string description = ShortcutDescriptionOf(key.id), trigger = triggerOf_(key.vk);
    r = sd_bus_message_append(m, "(sa{sv})", id.c_str(), 2, "description", "s", description.c_str(),
                              "preferred_trigger", "s", trigger.c_str());
  }
  if (r >= 0) r = sd_bus_message_close_container(m);
  if (r < 0) Fail();
}

void PortalShortcuts::StartSession() {
  const std::string token = ExpectResponse(&PortalShortcuts::OnSessionCreated);
  if (token.empty()) return;
  // The keys go with the request too: that is when some desktops bind them.
  sd_bus_message* m = nullptr;
  int r = sd_bus_message_new_method_call(bus_, &m, kPortal, kPortalPath, kShortcuts, "CreateSession");
  if (r >= 0) r = sd_bus_message_open_container(m, 'a', "{sv}");
  if (r >= 0) r = sd_bus_message_append(m, "{sv}", "handle_token", "s", token.c_str());
  if (r >= 0) r = sd_bus_message_append(m, "{sv}", "session_handle_token", "s", kSessionToken);
  if (r >= 0) r = sd_bus_message_open_container(m, 'e', "sv");
  if (r >= 0) r = sd_bus_message_append(m, "s", "shortcuts");
  if (r >= 0) r = sd_bus_message_open_container(m, 'v', "a(sa{sv})");
  if (r >= 0) AppendShortcuts(m, IdsOf(keys_));
  if (r >= 0) r = sd_bus_message_close_container(m);
  if (r >= 0) r = sd_bus_message_close_container(m);
  if (r >= 0) r = sd_bus_message_close_container(m);
  if (r >= 0 && !failed_) r = sd_bus_call_async(bus_, nullptr, m, &PortalShortcuts::OnCallReply, this, 0);
  sd_bus_message_unref(m);
  if (r < 0) Fail();
}

void PortalShortcuts::ListKeys() {
  const std::string token = ExpectResponse(&PortalShortcuts::OnListed);
  if (token.empty()) return;
  if (sd_bus_call_method_async(bus_, nullptr, kPortal, kPortalPath, kShortcuts, "ListShortcuts",
                               &PortalShortcuts::OnCallReply, this, "oa{sv}", session_.c_str(), 1, "handle_token", "s",
                               token.c_str()) < 0)
    Fail();
}

void PortalShortcuts::BindKeys(const std::vector<std::string>& ids) {
  const std::string token = ExpectResponse(&PortalShortcuts::OnBound);
  if (token.empty()) return;
  sd_bus_message* m = nullptr;
  int r = sd_bus_message_new_method_call(bus_, &m, kPortal, kPortalPath, kShortcuts, "BindShortcuts");
  if (r >= 0) r = sd_bus_message_append(m, "o", session_.c_str());
  if (r >= 0) AppendShortcuts(m, ids);
  if (r >= 0) r = sd_bus_message_append(m, "sa{sv}", "", 1, "handle_token", "s", token.c_str());
  if (r >= 0 && !failed_) r = sd_bus_call_async(bus_, nullptr, m, &PortalShortcuts::OnCallReply, this, 0);
  sd_bus_message_unref(m);
  if (r < 0) Fail();
}

void PortalShortcuts::Bound() { synced_ = keys_; }

void PortalShortcuts::CloseSession() {
  closedSlot_ = sd_bus_slot_unref(closedSlot_);
  if (session_.empty()) return;
  sd_bus_call_method_async(bus_, nullptr, kPortal, session_.c_str(), "org.freedesktop.portal.Session", "Close", nullptr,
                           nullptr, "");
  sd_bus_flush(bus_);
  session_.clear();
}

void PortalShortcuts::Fail() {
  failed_ = true;
  responseSlot_ = sd_bus_slot_unref(responseSlot_);
  closingSlot_ = sd_bus_slot_unref(closingSlot_);
  CloseSession();
}

int PortalShortcuts::OnCallReply(sd_bus_message* m, void* self, sd_bus_error*) {
  if (sd_bus_message_is_method_error(m, nullptr)) static_cast<PortalShortcuts*>(self)->Fail();
  return 0;
}

int PortalShortcuts::OnSessionCreated(sd_bus_message* m, void* self, sd_bus_error*) {
  auto* portal = static_cast<PortalShortcuts*>(self);
  const Response response = TakeResponse(portal->responseSlot_, m);
  if (response.code != 0 || response.sessionHandle.empty()) {
    portal->Fail();
    return 0;
  }
  portal->session_ = response.sessionHandle;
  // A desktop that ends the session takes the keys with it.
  sd_bus_match_signal(portal->bus_, &portal->closedSlot_, nullptr, portal->session_.c_str(),
                      "org.freedesktop.portal.Session", "Closed", &PortalShortcuts::OnSessionClosed, portal);
  // A desktop that answers with the keys bound them as the session was
  // made; its bind would only open its settings.
  if (response.listsShortcuts && !response.shortcutIds.empty()) {
    portal->Bound();
    return 0;
  }
  portal->ListKeys();
  return 0;
}

int PortalShortcuts::OnListed(sd_bus_message* m, void* self, sd_bus_error*) {
  auto* portal = static_cast<PortalShortcuts*>(self);
  const Response response = TakeResponse(portal->responseSlot_, m);
  // Bound are what the desktop lists (kept from an earlier start, perhaps
  // changed by the user there), unless this process asked for another key
  // since; the rest is bound now.
  std::vector<std::string> missing;
  for (const Key& key : portal->keys_) {
    const std::string id = ShortcutIdOf(key.id);
    const bool listed = response.code == 0 && std::find(response.shortcutIds.begin(), response.shortcutIds.end(), id) !=
                                                  response.shortcutIds.end();
    const bool changed = std::any_of(portal->synced_.begin(), portal->synced_.end(),
                                     [&](const Key& old) { return old.id == key.id && old.vk != key.vk; });
    if (!listed || changed) missing.push_back(id);
  }
  if (missing.empty()) {
    portal->Bound();
  } else {
    portal->BindKeys(missing);
  }
  return 0;
}

int PortalShortcuts::OnBound(sd_bus_message* m, void* self, sd_bus_error*) {
  auto* portal = static_cast<PortalShortcuts*>(self);
  // Refused (1), failed (2), or bound to nothing: no key would ever fire.
  const Response response = TakeResponse(portal->responseSlot_, m);
  if (response.code != 0 || response.shortcutIds.empty()) {
    portal->Fail();
    return 0;
  }
  portal->Bound();
  return 0;
}

int PortalShortcuts::OnOldSessionClosed(sd_bus_message* m, void* self, sd_bus_error*) {
  auto* portal = static_cast<PortalShortcuts*>(self);
  portal->closingSlot_ = sd_bus_slot_unref(portal->closingSlot_);
  // Closed or already gone, the token is free again.
  (void)m;
  if (!portal->keys_.empty()) portal->StartSession();
  return 0;
}

int PortalShortcuts::OnSessionClosed(sd_bus_message*, void* self, sd_bus_error*) {
  auto* portal = static_cast<PortalShortcuts*>(self);
  portal->session_.clear();
  portal->Fail();
  return 0;
}

int PortalShortcuts::OnActivated(sd_bus_message* m, void* self, sd_bus_error*) {
  auto* portal = static_cast<PortalShortcuts*>(self);
  const char* session = nullptr;
  const char* id = nullptr;
  if (sd_bus_message_read(m, "os", &session, &id) < 0 || portal->session_ != session) return 0;
  // A key held down activates again at the repeat rate: each is a press.
  for (const Key& key : portal->keys_) {
    if (ShortcutIdOf(key.id) == id) {
      OnHotkey(key.vk);
      return 0;
    }
  }
  return 0;
}

}  // namespace platform::x11
