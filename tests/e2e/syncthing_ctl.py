#!/usr/bin/env python3
"""Configures, watches and queries Syncthing instances for the whole-program tests.

Everything stays on the loopback address: the instances know each other by
device ID and an explicit 127.0.0.1 address, and every feature that would
reach further (global and local discovery, relays, NAT traversal, usage and
crash reports, upgrades) is off.

  syncthing_ctl.py ports N                      N free loopback TCP ports
  syncthing_ctl.py device-id HOME               the device ID of a generated home
  syncthing_ctl.py configure HOME NAME LISTEN GUI APIKEY FOLDER PATH PEER_ID@PORT...
  syncthing_ctl.py wait-up SECONDS APIKEY GUI...
  syncthing_ctl.py in-sync SECONDS APIKEY FOLDER GUI...
  syncthing_ctl.py status APIKEY FOLDER GUI     the folder's status, as JSON

configure reads SYNCTHING_WATCH_DELAY (seconds, default 1), SYNCTHING_PULL_ORDER
(default alphabetic) and SYNCTHING_VERSIONING (a versioning type such as
trashcan; none by default) from the environment.
"""
import json
import os
import socket
import sys
import time
import urllib.error
import urllib.request
import xml.etree.ElementTree as ET


def free_ports(count):
    sockets = []
    try:
        for _ in range(count):
            s = socket.socket()
            s.bind(("127.0.0.1", 0))
            sockets.append(s)
        return [s.getsockname()[1] for s in sockets]
    finally:
        for s in sockets:
            s.close()


def device_id(home):
    root = ET.parse(os.path.join(home, "config.xml")).getroot()
    return root.find("device").get("id")


def set_text(parent, tag, value):
    node = parent.find(tag)
    if node is None:
        node = ET.SubElement(parent, tag)
    node.text = value


def configure(home, name, listen, gui, apikey, folder_id, path, peers):
    config = os.path.join(home, "config.xml")
    tree = ET.parse(config)
    root = tree.getroot()
    own = root.find("device")
    own.set("name", name)

    gui_node = root.find("gui")
    set_text(gui_node, "address", "127.0.0.1:%s" % gui)
    set_text(gui_node, "apikey", apikey)

    options = root.find("options")
    for tag, value in [
        ("listenAddress", "tcp://127.0.0.1:%s" % listen),
        ("globalAnnounceEnabled", "false"),
        ("localAnnounceEnabled", "false"),
        ("relaysEnabled", "false"),
        ("natEnabled", "false"),
        ("startBrowser", "false"),
        ("urAccepted", "-1"),
        ("autoUpgradeIntervalH", "0"),
        ("crashReportingEnabled", "false"),
        ("stunKeepaliveStartS", "0"),
        ("announceLANAddresses", "false"),
        ("reconnectionIntervalS", "2"),
        ("setLowPriority", "false"),
    ]:
        set_text(options, tag, value)
    # Only the one explicit listen address: no default (QUIC, all interfaces) beside it.
    for extra in options.findall("listenAddress")[1:]:
        options.remove(extra)

    defaults = root.find("defaults")
    for peer in peers:
        peer_id, port = peer.split("@")
        device = ET.fromstring(ET.tostring(defaults.find("device")))
        device.set("id", peer_id)
        device.set("name", peer_id[:7])
        set_text(device, "address", "tcp://127.0.0.1:%s" % port)
        root.insert(list(root).index(own) + 1, device)

    folder = ET.fromstring(ET.tostring(defaults.find("folder")))
    folder.set("id", folder_id)
    folder.set("label", folder_id)
    folder.set("path", path)
    folder.set("fsWatcherEnabled", "true")
    folder.set("fsWatcherDelayS", os.environ.get("SYNCTHING_WATCH_DELAY", "1"))
    set_text(folder, "order", os.environ.get("SYNCTHING_PULL_ORDER", "alphabetic"))
    for shared in folder.findall("device"):
        folder.remove(shared)
    for member in [own.get("id")] + [p.split("@")[0] for p in peers]:
        shared = ET.Element("device", {"id": member, "introducedBy": ""})
        ET.SubElement(shared, "encryptionPassword")
        folder.insert(1, shared)
    versioning_type = os.environ.get("SYNCTHING_VERSIONING", "")
    if versioning_type:
        versioning = folder.find("versioning")
        versioning.set("type", versioning_type)
        ET.SubElement(versioning, "param", {"key": "cleanoutDays", "val": "0"})
    root.insert(list(root).index(own), folder)
    tree.write(config, encoding="utf-8", xml_declaration=False)


def rest(gui, apikey, path, method="GET", timeout=30):
    request = urllib.request.Request("http://127.0.0.1:%s%s" % (gui, path), method=method,
                                     headers={"X-API-Key": apikey})
    with urllib.request.urlopen(request, timeout=timeout) as response:
        body = response.read()
    return json.loads(body) if body.strip() else None


def wait_up(seconds, apikey, guis):
    deadline = time.monotonic() + seconds
    for gui in guis:
        while True:
            try:
                rest(gui, apikey, "/rest/system/ping", timeout=2)
                break
            except (OSError, urllib.error.URLError):
                if time.monotonic() > deadline:
                    print("syncthing on port %s did not answer" % gui, file=sys.stderr)
                    return 1
                time.sleep(0.2)
    return 0


def snapshot(apikey, folder, guis):
    """What each instance says of the folder; None where it is not settled."""
    views = []
    for gui in guis:
        status = rest(gui, apikey, "/rest/db/status?folder=%s" % folder)
        if status.get("state") != "idle" or status.get("needTotalItems", 1) != 0:
            return None
        connections = rest(gui, apikey, "/rest/system/connections")["connections"]
        me = rest(gui, apikey, "/rest/system/status")["myID"]
        for peer, connection in connections.items():
            if peer == me:
                continue
            if not connection.get("connected"):
                return None
            completion = rest(gui, apikey, "/rest/db/completion?folder=%s&device=%s" % (folder, peer))
            if completion.get("completion") != 100 or completion.get("needItems", 1) != 0:
                return None
        views.append((status["globalFiles"], status["globalDeleted"], status["globalBytes"],
                      status["localFiles"], status["localBytes"]))
    if len(set(views)) != 1 or views[0][0] != views[0][3]:
        return None
    return views[0]


def in_sync(seconds, apikey, folder, guis):
    """Scans everywhere (so nothing waits in a watcher's delay), then waits until every
    instance is idle, needs nothing, sees every peer complete, and all agree, twice running."""
    deadline = time.monotonic() + seconds
    try:
        for gui in guis:
            rest(gui, apikey, "/rest/db/scan?folder=%s" % folder, method="POST", timeout=seconds)
    except (OSError, urllib.error.URLError) as error:
        print("scan failed: %s" % error, file=sys.stderr)
        return 1
    previous = None
    while time.monotonic() < deadline:
        try:
            view = snapshot(apikey, folder, guis)
        except (OSError, urllib.error.URLError, KeyError):
            view = None
        if view is not None and view == previous:
            return 0
        previous = view
        time.sleep(0.3)
    for gui in guis:
        try:
            print("not in sync (%s): %s" % (gui, json.dumps(rest(gui, apikey, "/rest/db/status?folder=%s" % folder))),
                  file=sys.stderr)
        except (OSError, urllib.error.URLError) as error:
            print("not in sync (%s): %s" % (gui, error), file=sys.stderr)
    return 1


def main(argv):
    command, args = argv[1], argv[2:]
    if command == "ports":
        print(" ".join(str(p) for p in free_ports(int(args[0]))))
        return 0
    if command == "device-id":
        print(device_id(args[0]))
        return 0
    if command == "configure":
        configure(*args[:7], peers=args[7:])
        return 0
    if command == "wait-up":
        return wait_up(float(args[0]), args[1], args[2:])
    if command == "in-sync":
        return in_sync(float(args[0]), args[1], args[2], args[3:])
    if command == "status":
        print(json.dumps(rest(args[2], args[0], "/rest/db/status?folder=%s" % args[1])))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
