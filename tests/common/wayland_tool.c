#include "wayland_tool.h"

#include <stdio.h>
#include <string.h>

struct Wanted {
  const struct wl_interface* interface;
  uint32_t version;
  void* bound;
};

static void on_global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                      uint32_t version) {
  struct Wanted* wanted = data;
  if (!wanted->bound && strcmp(interface, wanted->interface->name) == 0 && version >= wanted->version)
    wanted->bound = wl_registry_bind(registry, name, wanted->interface, wanted->version);
}

static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};

struct wl_display* ConnectAndBind(const struct wl_interface* interface, uint32_t version, void** bound) {
  struct wl_display* display = wl_display_connect(NULL);
  if (!display) {
    fprintf(stderr, "no Wayland display\n");
    return NULL;
  }
  struct Wanted wanted = {interface, version, NULL};
  struct wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, &wanted);
  wl_display_roundtrip(display);
  if (!wanted.bound) {
    fprintf(stderr, "the compositor offers no %s version %u\n", interface->name, (unsigned)version);
    wl_display_disconnect(display);
    return NULL;
  }
  *bound = wanted.bound;
  return display;
}
