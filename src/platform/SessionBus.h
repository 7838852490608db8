#pragma once

// Whether no D-Bus session bus can be reached or started for this process: the environment names
// none (DBUS_SESSION_BUS_ADDRESS), the runtime folder holds no bus socket ($XDG_RUNTIME_DIR/bus),
// and there is no dbus-launch on the PATH to start one for the display. That is a window system
// without a desktop session (a virtual display, a remote one).
bool SessionBusUnreachable();
