/* Real input for a KWin session through its fake-input protocol: the
 * compositor takes these as a device's key presses and pointer events, so
 * global shortcuts and focus work as they do for the user. Reads commands
 * from standard input, one a line, and answers "ok" when KWin has had them:
 *   key CODE | down CODE | up CODE   (evdev key codes: 57 space, 46 c)
 *   move X Y                          (absolute, compositor pixels)
 *   click BUTTON | press BUTTON | release BUTTON  (evdev: 272 left)
 * KWin grants the protocol to a binary named in Exec= of a desktop file in
 * $HOME/.local/share/applications with
 * X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input. */
#include <stdio.h>

#include "fake-input-client-protocol.h"
#include "wayland_tool.h"

int main(void) {
  void* bound = NULL;
  struct wl_display* display = ConnectAndBind(&org_kde_kwin_fake_input_interface, 4, &bound);
  if (!display) return 1;
  struct org_kde_kwin_fake_input* fake = bound;
  org_kde_kwin_fake_input_authenticate(fake, "brenvik tests", "key presses for the tests");
  wl_display_roundtrip(display);
  char line[128];
  setvbuf(stdout, NULL, _IOLBF, 0);
  while (fgets(line, sizeof line, stdin)) {
    unsigned code = 0;
    double x = 0, y = 0;
    if (sscanf(line, "key %u", &code) == 1) {
      org_kde_kwin_fake_input_keyboard_key(fake, code, 1);
      org_kde_kwin_fake_input_keyboard_key(fake, code, 0);
    } else if (sscanf(line, "down %u", &code) == 1) {
      org_kde_kwin_fake_input_keyboard_key(fake, code, 1);
    } else if (sscanf(line, "up %u", &code) == 1) {
      org_kde_kwin_fake_input_keyboard_key(fake, code, 0);
    } else if (sscanf(line, "move %lf %lf", &x, &y) == 2) {
      org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_double(x), wl_fixed_from_double(y));
    } else if (sscanf(line, "click %u", &code) == 1) {
      org_kde_kwin_fake_input_button(fake, code, 1);
      org_kde_kwin_fake_input_button(fake, code, 0);
    } else if (sscanf(line, "press %u", &code) == 1) {
      org_kde_kwin_fake_input_button(fake, code, 1);
    } else if (sscanf(line, "release %u", &code) == 1) {
      org_kde_kwin_fake_input_button(fake, code, 0);
    } else {
      printf("unknown: %s", line);
      continue;
    }
    if (wl_display_roundtrip(display) < 0) return 1;
    printf("ok\n");
  }
  wl_display_disconnect(display);
  return 0;
}
