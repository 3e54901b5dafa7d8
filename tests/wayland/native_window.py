'''A native Wayland window (GTK on its Wayland backend): a game that is no
X11 client. Its title is the first argument.'''
import os
import sys

os.environ['GDK_BACKEND'] = 'wayland'
os.environ['NO_AT_BRIDGE'] = '1'

import gi  # noqa: E402
gi.require_version('Gtk', '3.0')
from gi.repository import Gtk  # noqa: E402

window = Gtk.Window(title=sys.argv[1])
window.set_default_size(400, 300)
window.connect('destroy', Gtk.main_quit)
window.show_all()
Gtk.main()
