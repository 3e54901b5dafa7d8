'''A desktop's GlobalShortcuts backend that a test drives: python-dbusmock
loads it behind the real xdg-desktop-portal frontend.

The shortcuts live in components named after the session token, which
outlive sessions, as a desktop's shortcut settings do.
Parameters:
  "binds_at" (s)        "bind": BindShortcuts binds and stands for a dialog
                        the user answers (GNOME 48, later Plasma); "create":
                        CreateSession binds the shortcuts named in its options
                        and answers with them, BindShortcuts binds nothing
                        (Plasma 5.27, whose bind opens the settings instead)
  "keeps_triggers" (b)  a shortcut the component has keeps its trigger when
                        asked again (the user's own choice wins)
  "bind_response" (u)   answers every BindShortcuts (0 binds, 1 is the user
                        saying no, 2 a failure)
  "bind_nothing" (b)    BindShortcuts answers 0 but binds none
Control (interface brenvik.test.Backend on the main object):
  Press(s id)      Activated for the newest session when it has the
                   shortcut, stamped with CLOCK_MONOTONIC in microseconds
  Release(s id)    Deactivated for the newest session
  Bound() -> as    "id=trigger" of the newest session's component
  Sessions() -> (uu)  sessions created and closed so far
  BindCalls() -> u    BindShortcuts calls so far: each a dialog or a
                      settings window in front of the user
  Components() -> as  the components' names
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
    mock.binds_at = str(parameters.get('binds_at', 'bind'))
    mock.keeps_triggers = bool(parameters.get('keeps_triggers', False))
    mock.bind_response = int(parameters.get('bind_response', 0))
    mock.bind_nothing = bool(parameters.get('bind_nothing', False))
    mock.created = 0
    mock.closed = 0
    mock.bind_calls = 0
    mock.session = ''
    mock.components = {}  # name -> {id: trigger}, in the order first bound
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({'version': dbus.UInt32(1)}, signature='sv'))


def _close_session(session):
    main = mockobject.objects[MAIN_OBJ]
    main.closed += 1
    if main.session == session.path:
        main.session = ''


def _component(self):
    if not self.session:
        return {}
    return self.components.setdefault(self.session.rsplit('/', 1)[-1], {})


def _bind(self, shortcuts):
    component = _component(self)
    for shortcut_id, props in shortcuts:
        if not (self.keeps_triggers and str(shortcut_id) in component):
            component[str(shortcut_id)] = str(props.get('preferred_trigger', ''))


def _listed(self, ids):
    component = _component(self)
    return dbus.Array([dbus.Struct((i, dbus.Dictionary({'description': i, 'trigger_description': component[i]},
                                                       signature='sv')), signature='sa{sv}')
                       for i in ids if i in component], signature='(sa{sv})')


@dbus.service.method(MAIN_IFACE, in_signature='oosa{sv}', out_signature='ua{sv}')
def CreateSession(self, handle, session_handle, app_id, options):
    self.created += 1
    self.session = str(session_handle)
    if str(session_handle) not in mockobject.objects:
        self.AddObject(session_handle, SESSION_IFACE, {'version': dbus.UInt32(1)},
                       [('Close', '', '', _close_session)])
    results = {'session_handle': str(session_handle)}
    if self.binds_at == 'create':
        shortcuts = options.get('shortcuts', [])
        _bind(self, shortcuts)
        results['shortcuts'] = _listed(self, [str(i) for i, _ in shortcuts])
    return (dbus.UInt32(0), dbus.Dictionary(results, signature='sv'))


@dbus.service.method(MAIN_IFACE, in_signature='ooa(sa{sv})sa{sv}', out_signature='ua{sv}')
def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
    self.bind_calls += 1
    if self.bind_response != 0 or self.bind_nothing or self.binds_at == 'create':
        return (dbus.UInt32(self.bind_response), dbus.Dictionary({}, signature='sv'))
    _bind(self, shortcuts)
    return (dbus.UInt32(0), dbus.Dictionary({'shortcuts': _listed(self, [str(i) for i, _ in shortcuts])},
                                            signature='sv'))


@dbus.service.method(MAIN_IFACE, in_signature='oo', out_signature='ua{sv}')
def ListShortcuts(self, handle, session_handle):
    return (dbus.UInt32(0), dbus.Dictionary({'shortcuts': _listed(self, list(_component(self)))}, signature='sv'))


def _emit(self, name, shortcut_id):
    stamp = dbus.UInt64(time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1000)
    self.EmitSignal(MAIN_IFACE, name, 'osta{sv}',
                    [dbus.ObjectPath(self.session), shortcut_id, stamp, dbus.Dictionary({}, signature='sv')])


@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='')
def Press(self, shortcut_id):
    if str(shortcut_id) in _component(self):
        _emit(self, 'Activated', shortcut_id)


@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='')
def Release(self, shortcut_id):
    _emit(self, 'Deactivated', shortcut_id)


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='as')
def Bound(self):
    return dbus.Array([f'{i}={t}' for i, t in _component(self).items()], signature='s')


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='(uu)')
def Sessions(self):
    return (dbus.UInt32(self.created), dbus.UInt32(self.closed))


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='u')
def BindCalls(self):
    return dbus.UInt32(self.bind_calls)


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='as')
def Components(self):
    return dbus.Array(sorted(self.components), signature='s')
