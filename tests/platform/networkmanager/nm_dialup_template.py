# python-dbusmock's NetworkManager with modem devices, dial-up profiles whose GetSettings and
# GetSecrets answer as NetworkManager's do (or fail as told), and activations that play a script
# of device and active-connection state changes over time.

import os
import time

import dbus
import dbusmock
from dbusmock import MOCK_IFACE
from dbusmock.templates import networkmanager as base
from dbusmock.templates.networkmanager import BUS_NAME, IS_OBJECT_MANAGER, MAIN_OBJ  # noqa: F401
from gi.repository import GLib

SYSTEM_BUS = False
VPN_IFACE = 'org.freedesktop.NetworkManager.VPN.Connection'
ETHERNET = '/org/freedesktop/NetworkManager/Devices/eth0'
# Steps: "device|active|vpn|exit STATE REASON MS", the milliseconds counted from the step before.
DEFAULT_SCRIPT = ['device 40 0 20', 'device 50 0 20', 'device 60 0 20', 'device 70 0 20', 'device 100 0 20',
                  'active 2 1 10']
# How NetworkManager takes a line down when asked to.
GOING_DOWN = ['device 110 39', 'active 3 2', 'device 30 39', 'active 4 2']


def load(mock, parameters):
    base.load(mock, parameters)
    manager = dbusmock.get_object(base.MANAGER_OBJ)
    manager.scripts, manager.playing, manager.serial = {}, set(), 0
    manager.activate_connection = activate
    manager.deactivate_connection = deactivate
    # An ordinary network, up from the start (ActiveConnection/1): never a dial-up line.
    ethernet = AddDialupDevice(mock, 'eth0', 'eth0', 1)
    activate(manager, AddDialupProfile(mock, 'Wired', '802-3-ethernet', ethernet, '', '', ''), ethernet, '/')


def answer(error, value):
    if error:
        raise dbus.exceptions.DBusException('scripted failure', name=error)
    return value


# Sets a list-of-paths property to what change makes of it.
def edit_paths(obj, interface, name, change):
    obj.Set(interface, name, dbus.Array(change(list(obj.Get(interface, name))), signature='o'))


def apply(manager, path, device, step):
    target, state, reason = step.split()[:3]
    state, reason = dbus.UInt32(int(state)), dbus.UInt32(int(reason))
    if target == 'exit':
        os._exit(0)
    if target == 'vpn':
        dbusmock.get_object(path).EmitSignal(VPN_IFACE, 'VpnStateChanged', 'uu', [state, reason])
    elif target == 'device' and device != '/':
        obj = dbusmock.get_object(device)
        old = obj.Get(base.DEVICE_IFACE, 'State')
        obj.Set(base.DEVICE_IFACE, 'State', state)
        obj.EmitSignal(base.DEVICE_IFACE, 'StateChanged', 'uuu', [state, old, reason])
    elif target == 'active':
        obj = dbusmock.get_object(path)
        obj.Set(base.ACTIVE_CONNECTION_IFACE, 'State', state)
        obj.EmitSignal(base.ACTIVE_CONNECTION_IFACE, 'StateChanged', 'uu', [state, reason])
        if state == 4:
            manager.playing.discard(path)
            edit_paths(manager, base.MANAGER_IFACE, 'ActiveConnections', lambda paths: [p for p in paths if p != path])
            manager.RemoveObject(path)


def activate(manager, connection, device, _specific):
    steps, error, delay = manager.scripts.get(str(connection), (DEFAULT_SCRIPT, '', 0))
    time.sleep(delay)
    answer(error, None)
    if device == '/':
        device = next((d for d in manager.GetDevices() if connection in
                       dbusmock.get_object(d).Get(base.DEVICE_IFACE, 'AvailableConnections')), '/')
    manager.serial += 1
    path = '/org/freedesktop/NetworkManager/ActiveConnection/%d' % manager.serial
    settings = dbusmock.get_object(connection).settings['connection']
    properties = {'Devices': dbus.Array([device] if device != '/' else [], signature='o'), 'Type': settings['type'],
                  'Id': settings['id'], 'Connection': dbus.ObjectPath(connection), 'State': dbus.UInt32(1)}
    if settings['type'] == 'vpn':
        # As NetworkManager does: the VPN names the device it runs over, and its own tunnel
        # device shares its addresses' configuration.
        config = dbus.ObjectPath('/org/freedesktop/NetworkManager/IP4Config/%d' % manager.serial)
        tunnel = 'tun%d' % manager.serial
        manager.AddObject('/org/freedesktop/NetworkManager/Devices/' + tunnel, base.DEVICE_IFACE, {
            'DeviceType': dbus.UInt32(16), 'State': dbus.UInt32(10), 'Interface': tunnel, 'IpInterface': tunnel,
            'Ip4Config': config, 'AvailableConnections': dbus.Array([], signature='o')}, [])
        properties.update({'Devices': dbus.Array([ETHERNET], signature='o'), 'Ip4Config': config})
    manager.AddObject(path, base.ACTIVE_CONNECTION_IFACE, properties, [])
    edit_paths(manager, base.MANAGER_IFACE, 'ActiveConnections', lambda paths: paths + [path])
    manager.playing.add(path)
    elapsed = 0
    for step in steps:
        elapsed += int(step.split()[3])
        # A step comes only while the activation plays: not once it is being taken down.
        GLib.timeout_add(elapsed, lambda s=step: path in manager.playing and apply(manager, path, str(device), s))
    return dbus.ObjectPath(path)


def deactivate(manager, path):
    if path not in manager.Get(base.MANAGER_IFACE, 'ActiveConnections'):
        raise dbus.exceptions.DBusException('not active', name=base.MANAGER_IFACE + '.ConnectionNotActive')
    manager.playing.discard(path)
    active = dbusmock.get_object(path)
    devices = active.Get(base.ACTIVE_CONNECTION_IFACE, 'Devices')
    # A VPN goes down on its own; the device it ran over stays up.
    vpn = active.Get(base.ACTIVE_CONNECTION_IFACE, 'Type') == 'vpn'
    device = str(devices[0]) if devices and not vpn else '/'
    # As NetworkManager does: the answer first, the state changes after it.
    GLib.idle_add(lambda: [apply(manager, path, device, step) for step in GOING_DOWN] and False)


# A device (8 modem, 5 Bluetooth, 1 ethernet ...), disconnected.
@dbus.service.method(MOCK_IFACE, in_signature='ssu', out_signature='s')
def AddDialupDevice(self, name, interface, device_type):
    path = '/org/freedesktop/NetworkManager/Devices/' + name
    self.AddObject(path, base.DEVICE_IFACE, {'DeviceType': dbus.UInt32(device_type), 'State': dbus.UInt32(30),
                                             'Interface': interface,
                                             'AvailableConnections': dbus.Array([], signature='o')}, [])
    return path


# A profile of that type, available on device unless that is empty; a gsm one with user "u",
# number "*99#" and, unless empty, the password NetworkManager keeps. GetSettings and GetSecrets
# fail with the D-Bus error names given, unless empty.
@dbus.service.method(MOCK_IFACE, in_signature='ssssss', out_signature='s')
def AddDialupProfile(self, name, kind, device, password, settings_error, secrets_error):
    settings = {'connection': {'id': name, 'type': kind}}
    if kind == 'gsm':
        settings['gsm'] = {'username': 'u', 'number': '*99#'}
    secrets = {'gsm': {'password': password}} if password else {}
    holder = dbusmock.get_object(base.SETTINGS_OBJ)
    path = '%s/%d' % (base.SETTINGS_OBJ, len(holder.Get(base.SETTINGS_IFACE, 'Connections')))
    self.AddObject(path, base.CSETTINGS_IFACE, {}, [
        ('GetSettings', '', 'a{sa{sv}}', lambda profile: answer(settings_error, settings)),
        ('GetSecrets', 's', 'a{sa{sv}}', lambda profile, setting: answer(secrets_error, {setting: secrets.get(setting, {})})),
    ])
    dbusmock.get_object(path).settings = settings
    edit_paths(holder, base.SETTINGS_IFACE, 'Connections', lambda paths: paths + [path])
    if device:
        edit_paths(dbusmock.get_object(device), base.DEVICE_IFACE, 'AvailableConnections', lambda p: p + [path])
    return path


# What activating profile does: its steps, or, with error set, that D-Bus error; ActivateConnection
# answers after delay seconds.
@dbus.service.method(MOCK_IFACE, in_signature='sassd', out_signature='')
def ScriptActivation(self, profile, steps, error, delay):
    dbusmock.get_object(base.MANAGER_OBJ).scripts[str(profile)] = ([str(s) for s in steps], str(error), delay)
