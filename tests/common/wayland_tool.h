/* The start every small Wayland input tool of the tests shares: connect to
 * the compositor and bind one global of an interface at a least version. */
#pragma once

#include <stdint.h>
#include <wayland-client.h>

/* The connection, with *bound set to the global's proxy; NULL, with the
 * reason printed, when there is no display or no such global. */
struct wl_display* ConnectAndBind(const struct wl_interface* interface, uint32_t version, void** bound);
