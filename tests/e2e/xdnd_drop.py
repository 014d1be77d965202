"""A minimal X11 drag source: drops files onto a window by the XDND protocol,
as a file manager on the desktop would.

The source owns the XdndSelection with an unmapped window of its own, sends
XdndEnter (version 5, type text/uri-list) to the target, answers the
selection requests for the URI list, sends XdndPosition at a point inside
the target and then XdndDrop, and waits for XdndFinished.

Usage as a program: xdnd_drop.py WINDOW_ID X Y PATH...   (X, Y: root coordinates)
"""
import select
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event

XDND_VERSION = 5


def uri_list(paths):
    """The text/uri-list of the paths: file URIs, percent-encoded, CR LF after each."""
    lines = ["file://" + urllib.parse.quote(path) for path in paths]
    return ("\r\n".join(lines) + "\r\n").encode("utf-8")


class DropError(Exception):
    pass


def drop(paths, target_id, x, y, timeout=10.0, dpy=None):
    """Drops the paths on the X window target_id at root point (x, y).

    Returns the action the target accepted (an atom name) once it has
    confirmed the drop with XdndFinished; raises DropError otherwise.
    """
    own = dpy is None
    dpy = dpy or display.Display()
    try:
        return _drop(dpy, paths, target_id, x, y, timeout)
    finally:
        if own:
            dpy.close()


def _drop(dpy, paths, target_id, x, y, timeout):
    atom = dpy.intern_atom
    names = ["XdndSelection", "XdndEnter", "XdndPosition", "XdndStatus", "XdndDrop",
             "XdndFinished", "XdndLeave", "XdndActionCopy", "text/uri-list", "TARGETS"]
    a = {name: atom(name) for name in names}
    data = uri_list(paths)
    root = dpy.screen().root
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    target = dpy.create_resource_object("window", target_id)
    source.set_selection_owner(a["XdndSelection"], X.CurrentTime)
    dpy.sync()
    if dpy.get_selection_owner(a["XdndSelection"]) != source:
        raise DropError("could not own XdndSelection")

    def send(kind, values):
        values = list(values) + [0] * (5 - len(values))
        message = event.ClientMessage(window=target, client_type=a[kind], data=(32, values))
        target.send_event(message, event_mask=0)
        dpy.flush()

    def answer(request):
        """Hands the URI list (or the list of targets) to the requestor."""
        prop = request.property or request.target
        if request.target == a["text/uri-list"]:
            request.requestor.change_property(prop, a["text/uri-list"], 8, data)
        elif request.target == a["TARGETS"]:
            request.requestor.change_property(prop, Xatom.ATOM, 32, [a["TARGETS"], a["text/uri-list"]])
        else:
            prop = X.NONE
        notify = event.SelectionNotify(time=request.time, requestor=request.requestor,
                                       selection=request.selection, target=request.target,
                                       property=prop)
        request.requestor.send_event(notify, event_mask=0)
        dpy.flush()

    def wait_for(kind):
        """Serves selection requests until a client message of this kind arrives."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            while dpy.pending_events():
                ev = dpy.next_event()
                if ev.type == X.SelectionRequest:
                    answer(ev)
                elif ev.type == X.ClientMessage and ev.client_type == a[kind]:
                    return ev
            select.select([dpy.fileno()], [], [], 0.05)
        raise DropError("no %s from the target" % kind)

    stamp = X.CurrentTime
    send("XdndEnter", [source.id, XDND_VERSION << 24, a["text/uri-list"]])
    send("XdndPosition", [source.id, 0, (x << 16) | (y & 0xFFFF), stamp, a["XdndActionCopy"]])
    status = wait_for("XdndStatus")
    if not status.data[1][1] & 1:
        send("XdndLeave", [source.id])
        raise DropError("the target refused the drop")
    send("XdndDrop", [source.id, 0, stamp])
    finished = wait_for("XdndFinished")
    source.destroy()
    dpy.flush()
    action = finished.data[1][2]
    return dpy.get_atom_name(action) if action else ""


if __name__ == "__main__":
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    print(drop(sys.argv[4:], int(sys.argv[1], 0), int(sys.argv[2]), int(sys.argv[3])))
