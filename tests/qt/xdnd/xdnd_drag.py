#!/usr/bin/env python3
"""Drags folders onto an X window as a file manager does, speaking XDND as the source.

    xdnd_drag.py WINDOW_ID FOLDER...

Sends XdndEnter and XdndPosition to the window (the middle of its upper half), waits for its
XdndStatus, sends XdndDrop, answers the window's request for the XdndSelection with the folders
as text/uri-list, and waits for XdndFinished. Exits 0 when the window accepted and finished
the drop, 1 otherwise.
"""
import sys
import time
import urllib.parse

from Xlib import X, display, protocol

XDND_VERSION = 5
TIMEOUT = 10.0


def main():
    target_id = int(sys.argv[1], 0)
    folders = sys.argv[2:]
    uri_list = "".join("file://" + urllib.parse.quote(folder) + "\r\n" for folder in folders).encode()

    d = display.Display()
    atom = lambda name: d.intern_atom(name)
    root = d.screen().root
    target = d.create_resource_object("window", target_id)
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent, X.InputOnly, X.CopyFromParent,
                                event_mask=X.PropertyChangeMask)
    uri_type = atom("text/uri-list")
    selection = atom("XdndSelection")
    source.set_selection_owner(selection, X.CurrentTime)

    def send(name, data):
        message = protocol.event.ClientMessage(window=target, client_type=atom(name), data=(32, data))
        target.send_event(message, event_mask=0)
        d.flush()

    geometry = target.get_geometry()
    where = root.translate_coords(target, geometry.width // 2, geometry.height // 4)
    x, y = where.x, where.y  # the window's point in root coordinates
    send("XdndEnter", [source.id, XDND_VERSION << 24, uri_type, 0, 0])
    send("XdndPosition", [source.id, 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy")])

    accepted = dropped = finished = False
    deadline = time.time() + TIMEOUT
    while time.time() < deadline and not finished:
        if not d.pending_events():
            time.sleep(0.01)
            continue
        event = d.next_event()
        if event.type == X.ClientMessage and event.client_type == atom("XdndStatus"):
            accepted = bool(event.data[1][1] & 1)
            if accepted and not dropped:
                send("XdndDrop", [source.id, 0, X.CurrentTime, 0, 0])
                dropped = True
            elif not accepted:
                break
        elif event.type == X.SelectionRequest and event.selection == selection:
            requestor = event.requestor
            answered = X.NONE
            if event.target == uri_type:
                requestor.change_property(event.property, uri_type, 8, uri_list)
                answered = event.property
            notify = protocol.event.SelectionNotify(time=event.time, requestor=requestor, selection=event.selection,
                                                    target=event.target, property=answered)
            requestor.send_event(notify, event_mask=0)
            d.flush()
        elif event.type == X.ClientMessage and event.client_type == atom("XdndFinished"):
            finished = True
    if not finished:
        send("XdndLeave", [source.id, 0, 0, 0, 0])
    print("accepted" if accepted else "refused", "dropped" if dropped else "", "finished" if finished else "")
    return 0 if accepted and dropped and finished else 1


if __name__ == "__main__":
    sys.exit(main())
