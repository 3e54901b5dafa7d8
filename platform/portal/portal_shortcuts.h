// Hotkeys as the desktop's global shortcuts (org.freedesktop.portal.
// GlobalShortcuts over the session bus): on Wayland they fire whatever
// window has the keyboard. The bus is one more descriptor of the driver's
// wait; everything runs on the user-interface thread.
#pragma once

#include <systemd/sd-bus.h>

#include <memory>
#include <string>
#include <vector>

#include "hotkey_source.h"

namespace platform::x11 {

class PortalShortcuts final : public HotkeySource {
 public:
  struct Key {
    int id;
    UINT vk;
  };

  // The xkb keysym name the desktop is offered as a key's trigger
  // ("space", "c"); empty when the key has none.
  using TriggerOfVk = std::string (*)(UINT vk);

  // Null when there is no session bus or its portal has no global
  // shortcuts. `appId` names our desktop entry for portals that ask.
  static std::unique_ptr<PortalShortcuts> Connect(const char* appId, TriggerOfVk triggerOf);
  ~PortalShortcuts() override;
  PortalShortcuts(const PortalShortcuts&) = delete;
  PortalShortcuts& operator=(const PortalShortcuts&) = delete;

  // Keys are bound together, at the next wait: a Save's three
  // registrations make one session, not three. The desktop may show a
  // dialog for every bind, so it is asked only for what it lacks.
  bool Add(int id, UINT vk) override;
  void Remove(UINT vk) override;
  PollNeed PrepareWait() override;
  void Process() override;

  // The desktop refused the keys, bound none, or went away: they belong
  // to another source now.
  bool Failed() const { return failed_; }
  const std::vector<Key>& Keys() const { return keys_; }

 private:
  PortalShortcuts(sd_bus* bus, TriggerOfVk triggerOf);
  void Sync();
  void StartSession();
  void CloseSession();
  void ListKeys();
  void BindKeys(const std::vector<std::string>& ids);
  void Bound();
  void AppendShortcuts(sd_bus_message* m, const std::vector<std::string>& ids);
  // Subscribes to the Response of the next call and gives its handle_token.
  std::string ExpectResponse(sd_bus_message_handler_t handler);
  void Fail();
  static int OnSessionCreated(sd_bus_message* m, void* self, sd_bus_error*);
  static int OnListed(sd_bus_message* m, void* self, sd_bus_error*);
  static int OnBound(sd_bus_message* m, void* self, sd_bus_error*);
  static int OnOldSessionClosed(sd_bus_message* m, void* self, sd_bus_error*);
  static int OnCallReply(sd_bus_message* m, void* self, sd_bus_error*);
  static int OnActivated(sd_bus_message* m, void* self, sd_bus_error*);
  static int OnSessionClosed(sd_bus_message* m, void* self, sd_bus_error*);

  sd_bus* bus_;
  TriggerOfVk triggerOf_;
  std::vector<Key> keys_;
  // The keys the desktop holds since this process last asked.
  std::vector<Key> synced_;
  std::string session_;  // the bound session's handle, empty while none
  sd_bus_slot* responseSlot_ = nullptr;
  sd_bus_slot* closingSlot_ = nullptr;  // the old session's Close, awaited
  sd_bus_slot* closedSlot_ = nullptr;
  sd_bus_slot* activatedSlot_ = nullptr;
  unsigned tokens_ = 0;
  bool bindWanted_ = false;  // the keys changed since the last bind
  bool failed_ = false;
};

}  // namespace platform::x11
