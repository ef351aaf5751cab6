'''NetworkManager with dial-up devices and scripted activations, for telmaq's tests.

Builds on python-dbusmock's NetworkManager template and adds: modem and Bluetooth devices;
profiles whose GetSecrets answers the way NetworkManager's does (or fails as scripted); and an
ActivateConnection / DeactivateConnection pair that play a script of device and
active-connection state changes over time, so that every outcome of a dial can be staged.
'''

import time

import dbus
import dbusmock
from dbusmock import MOCK_IFACE
from dbusmock.templates import networkmanager as base
# The base template's own mock methods (AddEthernetDevice, AddWiFiConnection, ...) come along.
from dbusmock.templates.networkmanager import *  # noqa: F401,F403 pylint: disable=wildcard-import,unused-wildcard-import
from gi.repository import GLib

BUS_NAME = base.BUS_NAME
MAIN_OBJ = base.MAIN_OBJ
SYSTEM_BUS = False
IS_OBJECT_MANAGER = base.IS_OBJECT_MANAGER

ACTIVE_PREFIX = '/org/freedesktop/NetworkManager/ActiveConnection/'

# Device 40 -> 50 -> 60 -> 70 -> 100, then the active connection is activated.
DEFAULT_SCRIPT = [('device', 40, 0, 20), ('device', 50, 0, 20), ('device', 60, 0, 20),
                  ('device', 70, 0, 20), ('device', 100, 0, 20), ('active', 2, 1, 10)]


def load(mock, parameters):
    base.load(mock, parameters)
    manager = dbusmock.get_object(base.MANAGER_OBJ)
    manager.scripts = {}
    manager.activate_delay = 0.0
    manager.timers = {}
    manager.used = set()
    manager.telmaq_activate = activate
    manager.telmaq_deactivate = deactivate
    manager.AddMethod(base.MANAGER_IFACE, 'ActivateConnection', 'ooo', 'o',
                      'ret = self.telmaq_activate(self, args[0], args[1], args[2])')
    manager.AddMethod(base.MANAGER_IFACE, 'DeactivateConnection', 'o', '',
                      'self.telmaq_deactivate(self, args[0])')


def set_device_state(device_path, state, reason):
    device = dbusmock.get_object(device_path)
    old = device.Get(base.DEVICE_IFACE, 'State')
    device.Set(base.DEVICE_IFACE, 'State', dbus.UInt32(state))
    device.Set(base.DEVICE_IFACE, 'StateReason', (dbus.UInt32(state), dbus.UInt32(reason)))
    device.EmitSignal(base.DEVICE_IFACE, 'StateChanged', 'uuu',
                      [dbus.UInt32(state), dbus.UInt32(old), dbus.UInt32(reason)])


def remove_active(manager, active_path):
    for source in manager.timers.pop(active_path, []):
        GLib.source_remove(source)
    active = manager.Get(base.MANAGER_IFACE, 'ActiveConnections')
    if active_path in active:
        active.remove(dbus.ObjectPath(active_path))
        manager.SetProperty(base.MANAGER_OBJ, base.MANAGER_IFACE, 'ActiveConnections',
                            dbus.Array(active, signature='o', variant_level=1))
    for device_path in manager.GetDevices():
        device = dbusmock.get_object(device_path)
        if device.Get(base.DEVICE_IFACE, 'ActiveConnection') == active_path:
            device.Set(base.DEVICE_IFACE, 'ActiveConnection', dbus.ObjectPath('/'))
    if active_path in dbusmock.mockobject.objects:
        manager.RemoveObject(active_path)


def set_active_state(manager, active_path, state, reason):
    if active_path not in dbusmock.mockobject.objects:
        return
    active = dbusmock.get_object(active_path)
    active.Set(base.ACTIVE_CONNECTION_IFACE, 'State', dbus.UInt32(state))
    active.EmitSignal(base.ACTIVE_CONNECTION_IFACE, 'StateChanged', 'uu', [dbus.UInt32(state), dbus.UInt32(reason)])
    if state == 4:
        remove_active(manager, active_path)


def play(manager, active_path, device_path, step):
    target, state, reason = step
    if active_path not in dbusmock.mockobject.objects:
        return False
    if target == 'device':
        if device_path != '/':
            set_device_state(device_path, state, reason)
    else:
        set_active_state(manager, active_path, state, reason)
    return False


def activate(manager, connection, device, _specific):
    if manager.activate_delay:
        time.sleep(manager.activate_delay)
    script = manager.scripts.get(str(connection), {'steps': DEFAULT_SCRIPT, 'error': ''})
    if script['error']:
        raise dbus.exceptions.DBusException('scripted failure', name=script['error'])
    profile = dbusmock.get_object(connection)
    if str(device) == '/':
        for device_path in manager.GetDevices():
            available = dbusmock.get_object(device_path).Get(base.DEVICE_IFACE, 'AvailableConnections')
            if connection in available:
                device = device_path
                break
    active = manager.Get(base.MANAGER_IFACE, 'ActiveConnections')
    number = 1
    while dbus.ObjectPath(ACTIVE_PREFIX + str(number)) in active or ACTIVE_PREFIX + str(number) in manager.used:
        number += 1
    path = ACTIVE_PREFIX + str(number)
    manager.used.add(path)
    settings = profile.settings['connection']
    manager.AddObject(path, base.ACTIVE_CONNECTION_IFACE, {
        'Devices': dbus.Array([dbus.ObjectPath(device)] if str(device) != '/' else [], signature='o'),
        'Type': settings['type'],
        'Id': settings['id'],
        'Uuid': settings.get('uuid', ''),
        'Connection': dbus.ObjectPath(connection),
        'SpecificObject': dbus.ObjectPath('/'),
        'State': dbus.UInt32(1),
        'Vpn': settings['type'] == 'vpn',
        'Default': False,
        'Default6': False,
        'Master': dbus.ObjectPath('/'),
    }, [])
    active.append(dbus.ObjectPath(path))
    manager.SetProperty(base.MANAGER_OBJ, base.MANAGER_IFACE, 'ActiveConnections',
                        dbus.Array(active, signature='o', variant_level=1))
    if str(device) != '/':
        dbusmock.get_object(device).Set(base.DEVICE_IFACE, 'ActiveConnection', dbus.ObjectPath(path))
    elapsed = 0
    sources = []
    for target, state, reason, delay in script['steps']:
        elapsed += int(delay)
        sources.append(GLib.timeout_add(elapsed, play, manager, path, str(device),
                                        (str(target), int(state), int(reason))))
    manager.timers[path] = sources
    return dbus.ObjectPath(path)


def deactivate(manager, active_path):
    if active_path not in manager.Get(base.MANAGER_IFACE, 'ActiveConnections'):
        raise dbus.exceptions.DBusException('not active', name=base.MANAGER_IFACE + '.ConnectionNotActive')
    for source in manager.timers.pop(active_path, []):
        GLib.source_remove(source)
    devices = [str(d) for d in dbusmock.get_object(active_path).Get(base.ACTIVE_CONNECTION_IFACE, 'Devices')]

    def go_down():
        for device_path in devices:
            set_device_state(device_path, 110, 39)
        set_active_state(manager, active_path, 3, 2)
        for device_path in devices:
            set_device_state(device_path, 30, 39)
        set_active_state(manager, active_path, 4, 2)
        return False

    # As NetworkManager does: the answer first, the state changes after it.
    GLib.idle_add(go_down)


@dbus.service.method(MOCK_IFACE, in_signature='ssu', out_signature='s')
def AddDialupDevice(self, device_name, iface_name, device_type):
    '''Adds a device (8 modem, 5 Bluetooth, 1 ethernet ...) in state disconnected.'''
    path = '/org/freedesktop/NetworkManager/Devices/' + device_name
    self.AddObject(path, base.DEVICE_IFACE, {
        'DeviceType': dbus.UInt32(device_type),
        'State': dbus.UInt32(30),
        'StateReason': (dbus.UInt32(30), dbus.UInt32(0)),
        'Interface': iface_name,
        'IpInterface': '',
        'ActiveConnection': dbus.ObjectPath('/'),
        'AvailableConnections': dbus.Array([], signature='o'),
        'Managed': True,
        'Driver': 'telmaq-mock',
    }, [])
    manager = dbusmock.get_object(base.MANAGER_OBJ)
    devices = manager.Get(base.MANAGER_IFACE, 'Devices')
    devices.append(dbus.ObjectPath(path))
    manager.Set(base.MANAGER_IFACE, 'Devices', dbus.Array(devices, signature='o'))
    manager.EmitSignal(base.MANAGER_IFACE, 'DeviceAdded', 'o', [dbus.ObjectPath(path)])
    return path


def profile_secrets(profile, setting):
    if profile.secrets_error:
        raise dbus.exceptions.DBusException('scripted failure', name=profile.secrets_error)
    return {setting: dbus.Dictionary(profile.secrets.get(setting, {}), signature='sv')}


@dbus.service.method(MOCK_IFACE, in_signature='a{sa{sv}}a{sa{sv}}s', out_signature='s')
def AddDialupProfile(self, settings, secrets, device_path):
    '''Adds a profile with its settings and secrets, available on device_path when not empty.'''
    settings_obj = dbusmock.get_object(base.SETTINGS_OBJ)
    connections = settings_obj.Get(base.SETTINGS_IFACE, 'Connections')
    number = 0
    while dbus.ObjectPath(base.SETTINGS_OBJ + '/' + str(number)) in connections:
        number += 1
    path = base.SETTINGS_OBJ + '/' + str(number)
    self.AddObject(path, base.CSETTINGS_IFACE, {'Unsaved': False}, [
        ('GetSettings', '', 'a{sa{sv}}', 'ret = self.telmaq_settings(self)'),
        ('GetSecrets', 's', 'a{sa{sv}}', 'ret = self.telmaq_secrets(self, args[0])'),
    ])
    profile = dbusmock.get_object(path)
    profile.settings = settings
    profile.secrets = secrets
    profile.secrets_error = ''
    profile.settings_error = ''
    profile.telmaq_secrets = profile_secrets
    profile.telmaq_settings = profile_settings
    connections.append(dbus.ObjectPath(path))
    settings_obj.Set(base.SETTINGS_IFACE, 'Connections', dbus.Array(connections, signature='o'))
    if device_path:
        device = dbusmock.get_object(device_path)
        available = device.Get(base.DEVICE_IFACE, 'AvailableConnections')
        available.append(dbus.ObjectPath(path))
        device.Set(base.DEVICE_IFACE, 'AvailableConnections', dbus.Array(available, signature='o'))
    return path


def profile_settings(profile):
    if profile.settings_error:
        raise dbus.exceptions.DBusException('scripted failure', name=profile.settings_error)
    return profile.settings


@dbus.service.method(MOCK_IFACE, in_signature='sa(suuu)s', out_signature='')
def ScriptActivation(self, profile_path, steps, error):
    '''What activating profile_path does: steps of (device|active, state, reason, delay in ms
    after the step before), or, with error set, the D-Bus error ActivateConnection answers.'''
    manager = dbusmock.get_object(base.MANAGER_OBJ)
    manager.scripts[str(profile_path)] = {'steps': [tuple(s) for s in steps], 'error': str(error)}


@dbus.service.method(MOCK_IFACE, in_signature='sss', out_signature='')
def SetProfileErrors(self, profile_path, settings_error, secrets_error):
    '''Makes GetSettings and/or GetSecrets of a profile fail with the given D-Bus error names.'''
    profile = dbusmock.get_object(profile_path)
    profile.settings_error = str(settings_error)
    profile.secrets_error = str(secrets_error)


@dbus.service.method(MOCK_IFACE, in_signature='d', out_signature='')
def SetActivateDelay(self, seconds):
    '''Makes ActivateConnection sleep before answering, as a NetworkManager that hangs.'''
    dbusmock.get_object(base.MANAGER_OBJ).activate_delay = float(seconds)
