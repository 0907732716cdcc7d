#!/usr/bin/python3
"""Reads the search window of the process that started it through the accessibility bus, as a
screen reader does, and prints what it read as one JSON document on standard output.

The window is expected to show a result, with the keyboard focus in the Surname box. The reader
reads the count line and the names of the buttons, presses Down (a key event through the bus, as a
person's key reaches the window), reads the description the focused box then carries, opens More
Info by its button's action, reads the details text by its name and closes the box.

Exit status 77: the bus or the bindings are not there (the caller skips, saying why); 1: the
window could not be read (the JSON says how far it came); 0: everything was read.
"""
import json
import os
import sys
import time

# Every wait is bounded: the whole reading takes well under a second when things work.
TIMEOUT_SECONDS = 20.0
STEP_SECONDS = 0.05


def skip(reason):
    print(json.dumps({"skip": reason}))
    sys.exit(77)


try:
    import pyatspi
except Exception as error:  # the bindings are missing or cannot reach a bus
    skip("python3-pyatspi cannot be imported: %s" % error)

report = {}


def fail(message):
    report["error"] = message
    try:  # what there was to see, to tell why
        app = our_application()
        report["seen"] = [(c.getRoleName(), c.name) for c in (app.getChildAtIndex(i) for i in range(app.childCount))
                          if c is not None] if app else None
    except Exception as error:
        report["seen"] = str(error)
    print(json.dumps(report))
    sys.exit(1)


def wait_for(what, find):
    deadline = time.monotonic() + TIMEOUT_SECONDS
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:  # an object that went away between two questions
            found = None
        if found:
            return found
        time.sleep(STEP_SECONDS)
    fail("waited for " + what)


def descendants(root, depth=0):
    if root is None or depth > 12:
        return
    yield root
    for i in range(root.childCount):
        yield from descendants(root.getChildAtIndex(i), depth + 1)


def our_application():
    pid = os.getppid()
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def named(root, role, name):
    for node in descendants(root):
        if node.getRole() == role and node.name == name:
            return node
    return None


def text_of(node):
    text = node.queryText()
    return text.getText(0, -1)


def main():
    try:
        pyatspi.Registry.getDesktop(0)
    except Exception as error:
        skip("the accessibility bus cannot be reached: %s" % error)

    app = wait_for("the window on the accessibility bus", our_application)
    report["application"] = app.name
    # The main window, by its title (it is a plain top-level widget, which the toolkit reports as a
    # filler rather than a frame).
    frame = wait_for("the search window", lambda: next(
        (c for c in (app.getChildAtIndex(i) for i in range(app.childCount)) if c is not None
         and c.name == "Dravenholt"), None))

    count = wait_for("the count line", lambda: next(
        (n for n in descendants(frame) if n.name.endswith("records found.")), None))
    report["countLine"] = count.name
    report["buttons"] = [n.name for n in descendants(frame) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]

    surname = wait_for("the Surname box", lambda: named(frame, pyatspi.ROLE_TEXT, "Surname"))
    report["surnameFocused"] = surname.getState().contains(pyatspi.STATE_FOCUSED)
    report["descriptionBefore"] = surname.description
    pyatspi.Registry.generateKeyboardEvent(0xFF54, None, pyatspi.KEY_SYM)  # Down
    report["afterDown"] = wait_for("the selected row in the box's description", lambda: surname.description)
    pyatspi.Registry.generateKeyboardEvent(0xFF54, None, pyatspi.KEY_SYM)
    report["afterSecondDown"] = wait_for(
        "the next row", lambda: surname.description if surname.description != report["afterDown"] else None)

    more = named(frame, pyatspi.ROLE_PUSH_BUTTON, "More Info")
    if more is None:
        fail("no More Info button")
    more.queryAction().doAction(0)
    details = wait_for("the details text of More Info", lambda: next(
        (n for i in range(app.childCount) for n in descendants(app.getChildAtIndex(i))
         if n.getRole() == pyatspi.ROLE_TEXT and n.name == "Details"), None))
    report["details"] = wait_for("the details' text", lambda: text_of(details))
    dialog = details.parent
    while dialog is not None and dialog.getRole() != pyatspi.ROLE_DIALOG:
        dialog = dialog.parent
    report["detailsWindow"] = dialog.name if dialog is not None else None
    ok = named(dialog, pyatspi.ROLE_PUSH_BUTTON, "OK") if dialog is not None else None
    if ok is None:
        fail("no OK button in More Info")
    ok.queryAction().doAction(0)
    print(json.dumps(report))
    return 0


if __name__ == "__main__":
    sys.exit(main())
