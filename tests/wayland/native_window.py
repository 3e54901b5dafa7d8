'''A native Wayland window (GTK on its Wayland backend): a game that is no
X11 client. Its title is the first argument; then optionally "--size WxH"
and "--fullscreen". Every key and button press it gets is printed, one a
line ("key NAME", "button N TIME"), so a test sees what reached it.'''
import os
import sys

os.environ['GDK_BACKEND'] = 'wayland'
os.environ['NO_AT_BRIDGE'] = '1'

import gi  # noqa: E402
gi.require_version('Gtk', '3.0')
gi.require_version('Gdk', '3.0')
from gi.repository import Gdk, Gtk  # noqa: E402


def report(line):
    print(line, flush=True)
    return False


args = sys.argv[1:]
window = Gtk.Window(title=args[0])
window.set_default_size(400, 300)
if '--size' in args:
    width, height = args[args.index('--size') + 1].split('x')
    window.set_default_size(int(width), int(height))
if '--fullscreen' in args:
    window.fullscreen()
window.add_events(Gdk.EventMask.KEY_PRESS_MASK | Gdk.EventMask.BUTTON_PRESS_MASK)
window.connect('key-press-event', lambda w, e: report('key ' + (Gdk.keyval_name(e.keyval) or '?')))
# A quick second press also comes as a double-click event, and a press may
# be reported twice: its time tells one press from another.
window.connect('button-press-event',
               lambda w, e: e.type == Gdk.EventType.BUTTON_PRESS and report(f'button {e.button} {e.time}'))
window.connect('destroy', Gtk.main_quit)
window.show_all()
Gtk.main()
