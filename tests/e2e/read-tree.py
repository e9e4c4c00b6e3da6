"""The editor's window as a screen reader finds it over AT-SPI: every control named, no two
alike, each scroll bar's value spoken as its box shows it and following it, an amp model
picked through its action. Exits 0 when all holds, 1 with what did not."""

import sys
import time

import pyatspi

WINDOW = "HALVERIK KESTRALUX PRESET MANAGER V1.01"
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_SCROLL_BAR,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_SPIN_BUTTON,
}
STRIPS = ["GAIN", "BASS", "MID", "TREBLE", "DELAY LEVEL", "DELAY REGEN", "DELAY PAN",
          "DELAY TIME", "REVERB LEVEL", "GATE", "PRESET VOLUME"]
EXPECTED = STRIPS + ["BRIT BLUES", "CLEAN 1", "70'S", "CHORUS", "ROTARY", "BYPASS",
                     "Store All Presets to Kestralux", "Load All Presets From Hard Drive",
                     "PRESET NAME", "NEXT PRESET", "PREVIOUS PRESET"]
failures = []


def until(seconds, probe):
    end = time.time() + seconds
    while time.time() < end:
        try:
            found = probe()
        except Exception:  # the tree changes under the reader while the window comes up
            found = None
        if found:
            return found
        time.sleep(0.2)
    return None


def children(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield child


def walk(node):
    yield node
    for child in children(node):
        yield from walk(child)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app.name == "KESTRALUX":
            return app
    return None


def window(app, name, role=None):
    for w in children(app):
        if w.name == name and (role is None or w.getRole() == role):
            return w
    return None


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def text_of(node):
    t = node.queryText()
    return t.getText(0, t.characterCount).strip()


def main():
    app = until(30, application)
    if not app:
        print("the editor never appeared on the accessibility bus")
        return 124
    # With no MIDI system the card-error box comes first; a reader answers it as a user does.
    box = until(5, lambda: window(app, "MIDI CARD CHANGE."))
    if box:
        ok = next(n for n in walk(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON)
        ok.queryAction().doAction(0)
    frame = until(30, lambda: (lambda w: w if w and showing(w) else None)(window(app, WINDOW)))
    if not frame:
        print("the main window was never shown")
        return 124

    # On a busy machine the window is still being laid out when it first shows: read until
    # the gain slider is there, then take the controls as read.
    def read_controls():
        nonlocal frame
        frame = window(app, WINDOW) or frame  # asked again: an object the bridge renewed is gone
        found = [n for n in walk(frame) if n.getRole() in CONTROL_ROLES and showing(n)]
        return found if any(n.name == "GAIN" and n.getRole() == pyatspi.ROLE_SCROLL_BAR for n in found) else None

    controls = until(40, read_controls)
    if not controls:
        print("the main window's controls never came up over AT-SPI")
        return 124
    names = {}
    for node in controls:
        if not node.name:
            failures.append(f"a {node.getRoleName()} without a name")
        names.setdefault(node.name, []).append(node.getRoleName())
    for name, roles in names.items():
        if name and len(roles) > 1:
            failures.append(f"{len(roles)} controls named {name!r}: {roles}")
    for name in EXPECTED:
        if name not in names:
            failures.append(f"no control named {name!r}")

    by_name = {n.name: n for n in controls}
    bars = [n for n in controls if n.getRole() == pyatspi.ROLE_SCROLL_BAR and n.name in STRIPS]
    if len(bars) != len(STRIPS):
        failures.append(f"{len(bars)} strip scroll bars of {len(STRIPS)}")
    for bar in bars:
        box = by_name.get(bar.name + " VALUE")
        if box is None:
            failures.append(f"no value box for {bar.name}")
        elif bar.description != text_of(box):
            failures.append(f"{bar.name} says {bar.description!r}, its box shows {text_of(box)!r}")

    # A reader moves the gain; the spoken value follows the box.
    gain = by_name.get("GAIN")
    if gain:
        gain.queryValue().currentValue = 15
        if not until(5, lambda: gain.description == "5.00" and text_of(by_name["GAIN VALUE"]) == "5.00"):
            failures.append(f"GAIN at 15 says {gain.description!r}")
    blues = by_name.get("BRIT BLUES")
    if blues:
        action = blues.queryAction()
        press = [i for i in range(action.nActions) if action.getName(i).lower() == "press"]
        if not press:
            failures.append("BRIT BLUES has no press action")
        else:
            action.doAction(press[0])
            if not until(5, lambda: blues.getState().contains(pyatspi.STATE_CHECKED)):
                failures.append("BRIT BLUES pressed is not checked")

    print(f"read {len(controls)} controls of the main window over AT-SPI")
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


sys.exit(main())
