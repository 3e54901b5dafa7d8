/* A pointer for a headless sway session (which has no input devices)
 * through wlroots' virtual pointer protocol: sway takes its events as a
 * device's, so focus and the clicks on XWayland's windows work as they do
 * for the user. Reads commands from standard input, one a line, and answers
 * "ok" once sway has had them:
 *   move X Y              (absolute, in the layout of a WIDTHxHEIGHT screen)
 *   press | release | click  (the left button)
 * Usage: virtual_pointer WIDTH HEIGHT */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "virtual-pointer-client-protocol.h"
#include "wayland_tool.h"

enum { kLeftButton = 272 };

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: virtual_pointer WIDTH HEIGHT\n");
    return 2;
  }
  const unsigned width = (unsigned)atoi(argv[1]), height = (unsigned)atoi(argv[2]);
  void* manager = NULL;
  struct wl_display* display = ConnectAndBind(&zwlr_virtual_pointer_manager_v1_interface, 1, &manager);
  if (!display) return 1;
  struct zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
  wl_display_roundtrip(display);
  char line[128];
  unsigned time = 0;
  setvbuf(stdout, NULL, _IOLBF, 0);
  while (fgets(line, sizeof line, stdin)) {
    unsigned x = 0, y = 0;
    time += 10;
    if (sscanf(line, "move %u %u", &x, &y) == 2) {
      zwlr_virtual_pointer_v1_motion_absolute(pointer, time, x, y, width, height);
    } else if (strcmp(line, "press\n") == 0 || strcmp(line, "click\n") == 0) {
      zwlr_virtual_pointer_v1_button(pointer, time, kLeftButton, WL_POINTER_BUTTON_STATE_PRESSED);
      if (line[0] == 'c') {
        zwlr_virtual_pointer_v1_frame(pointer);
        zwlr_virtual_pointer_v1_button(pointer, time + 5, kLeftButton, WL_POINTER_BUTTON_STATE_RELEASED);
      }
    } else if (strcmp(line, "release\n") == 0) {
      zwlr_virtual_pointer_v1_button(pointer, time, kLeftButton, WL_POINTER_BUTTON_STATE_RELEASED);
    } else {
      printf("unknown: %s", line);
      continue;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    if (wl_display_roundtrip(display) < 0) return 1;
    printf("ok\n");
  }
  /* sway 1.7 crashes when a pointer that clicked an X11 window goes away:
   * the device stays until the compositor ends. */
  while (wl_display_dispatch(display) != -1) {
  }
  return 0;
}
