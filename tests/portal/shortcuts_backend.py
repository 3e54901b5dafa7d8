'''A desktop's GlobalShortcuts backend that a test drives: python-dbusmock
loads it behind the real xdg-desktop-portal frontend.

Parameters: "bind_response" (u) answers every BindShortcuts (0 binds, 1 is
the user saying no, 2 a failure); "bind_nothing" (b) answers 0 but binds
none of the shortcuts.
Control (interface brenvik.test.Backend on the main object):
  Press(s id)      Activated for the newest session, stamped with
                   CLOCK_MONOTONIC in microseconds
  Release(s id)    Deactivated for the newest session
  Bound() -> as    "id=trigger" of the newest bind
  Sessions() -> (uu)  sessions created and closed so far
'''

import time

import dbus

from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.impl.portal.BrenvikTest'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.impl.portal.GlobalShortcuts'
CONTROL_IFACE = 'brenvik.test.Backend'
SESSION_IFACE = 'org.freedesktop.impl.portal.Session'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.bind_response = int(parameters.get('bind_response', 0))
    mock.bind_nothing = bool(parameters.get('bind_nothing', False))
    mock.created = 0
    mock.closed = 0
    mock.session = ''
    mock.bound = []
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({'version': dbus.UInt32(1)}, signature='sv'))


def _close_session(session):
    main = mockobject.objects[MAIN_OBJ]
    main.closed += 1
    if main.session == session.path:
        main.session = ''


@dbus.service.method(MAIN_IFACE, in_signature='oosa{sv}', out_signature='ua{sv}')
def CreateSession(self, handle, session_handle, app_id, options):
    self.created += 1
    self.session = str(session_handle)
    self.bound = []
    if str(session_handle) not in mockobject.objects:
        self.AddObject(session_handle, SESSION_IFACE, {'version': dbus.UInt32(1)},
                       [('Close', '', '', _close_session)])
    return (dbus.UInt32(0), dbus.Dictionary({'session_handle': str(session_handle)}, signature='sv'))


@dbus.service.method(MAIN_IFACE, in_signature='ooa(sa{sv})sa{sv}', out_signature='ua{sv}')
def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
    if self.bind_response != 0 or self.bind_nothing:
        return (dbus.UInt32(self.bind_response), dbus.Dictionary({}, signature='sv'))
    bound = []
    self.bound = []
    for shortcut_id, props in shortcuts:
        trigger = str(props.get('preferred_trigger', ''))
        self.bound.append(f'{shortcut_id}={trigger}')
        bound.append(dbus.Struct((shortcut_id, dbus.Dictionary(
            {'description': props.get('description', ''), 'trigger_description': trigger}, signature='sv')),
            signature='sa{sv}'))
    return (dbus.UInt32(0), dbus.Dictionary({'shortcuts': dbus.Array(bound, signature='(sa{sv})')}, signature='sv'))


@dbus.service.method(MAIN_IFACE, in_signature='oo', out_signature='ua{sv}')
def ListShortcuts(self, handle, session_handle):
    return (dbus.UInt32(0), dbus.Dictionary({}, signature='sv'))


def _emit(self, name, shortcut_id):
    stamp = dbus.UInt64(time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1000)
    self.EmitSignal(MAIN_IFACE, name, 'osta{sv}',
                    [dbus.ObjectPath(self.session), shortcut_id, stamp, dbus.Dictionary({}, signature='sv')])


@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='')
def Press(self, shortcut_id):
    _emit(self, 'Activated', shortcut_id)


@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='')
def Release(self, shortcut_id):
    _emit(self, 'Deactivated', shortcut_id)


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='as')
def Bound(self):
    return dbus.Array(self.bound, signature='s')


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='(uu)')
def Sessions(self):
    return (dbus.UInt32(self.created), dbus.UInt32(self.closed))
