#!/usr/bin/python3
"""The viewer as a screen reader sees it.

Starts the viewer on an X server of its own with the given logs, walks the
accessible tree of the main window, of the search conditions dialog and of the
About box (each dialog opened and closed through its buttons' own accessible
actions, as a screen reader user would), prints every object with its role and
name, and fails when an object has no role, a control has no name, or a
single-line field is not linked to the caption that names it.

Run it in a D-Bus session of its own (dbus-run-session): the accessibility bus
then lives and ends with this check. It needs Xvfb and Debian's python3-pyatspi
(scripts/install-deps.sh) and ends within TIME_LIMIT seconds whatever happens.

usage: dbus-run-session -- accessible_walk.py VIEWER LOG...
"""
import os
import signal
import subprocess
import sys

import pyatspi
from gi.repository import Atspi, GLib

from x_session import start_x_server, stop, wait_for

TIME_LIMIT = 60         # seconds for the whole check
MAX_CHILDREN = 200      # of one object: the tree's rows beyond these say nothing new
MAIN_WINDOW = "ZU_Kirdo for Windows95 Ver2.0"
ATSPI_TIMEOUTS_MS = (800, 15000)  # libatspi's own: a call, and a call to a starting program
PRESS_TIMEOUT_MS = 500

# Objects that only hold others and that no screen reader stops at.
CONTAINERS = {pyatspi.ROLE_FILLER}
# A menu's drop-down and its separators are named by the menu item above them.
PARTS_OF_MENUS = {pyatspi.ROLE_POPUP_MENU, pyatspi.ROLE_SEPARATOR}
MENUS = {pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_POPUP_MENU, pyatspi.ROLE_MENU}


def fail_on_time_limit(signum, frame):
    raise TimeoutError(f"the check took more than {TIME_LIMIT} seconds")


def children(acc):
    for i in range(min(acc.childCount, MAX_CHILDREN)):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def application_of(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    return next((app for app in children(desktop) if app.get_process_id() == pid), None)


def window_named(app, name):
    return next((w for w in children(app) if w.name == name
                 and w.getState().contains(pyatspi.STATE_SHOWING)), None)


def find(acc, role, name):
    """The first object under `acc` (itself included) with this role and name."""
    if acc.getRole() == role and acc.name == name:
        return acc
    for child in children(acc):
        found = find(child, role, name)
        if found is not None:
            return found
    return None


def press(window, name):
    """Presses the button through its accessible action. A button that opens
    a modal dialog answers only once the dialog has closed, so the answer is
    not waited for: what the press did is looked for afterwards."""
    button = find(window, pyatspi.ROLE_PUSH_BUTTON, name)
    if button is None:
        raise RuntimeError(f"no button {name!r} in {window.name!r}")
    action = button.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    Atspi.set_timeout(PRESS_TIMEOUT_MS, PRESS_TIMEOUT_MS)
    try:
        action.doAction(names.index("press"))
    except GLib.Error as error:
        if "reply" not in error.message:
            raise
    finally:
        Atspi.set_timeout(*ATSPI_TIMEOUTS_MS)


def labels_of(acc):
    targets = []
    for relation in acc.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            targets += [relation.getTarget(i) for i in range(relation.getNTargets())]
    return targets


def faults_of(acc, parent_role):
    role = acc.getRole()
    if role in (pyatspi.ROLE_INVALID, pyatspi.ROLE_UNKNOWN):
        return ["no role"]
    if not acc.name and role not in CONTAINERS and not (
            role in PARTS_OF_MENUS and parent_role in MENUS):
        return ["no name"]
    if role == pyatspi.ROLE_TEXT and acc.getState().contains(pyatspi.STATE_SINGLE_LINE):
        if not any(label.getRole() == pyatspi.ROLE_LABEL and label.name == acc.name
                   for label in labels_of(acc)):
            return ["not linked to the caption that names it"]
    return []


def walk(acc, faults, depth=0, parent_role=None):
    role_name = acc.getRoleName()
    problems = faults_of(acc, parent_role)
    print(f"{'  ' * depth}[{role_name}] {acc.name!r}" + (f"  <-- {', '.join(problems)}" if problems else ""))
    faults += [f"[{role_name}] {acc.name!r}: {p}" for p in problems]
    for child in children(acc):
        walk(child, faults, depth + 1, acc.getRole())


def walk_dialog(app, main, button, title, closer, faults):
    press(main, button)
    dialog = wait_for(f"window {title!r}", lambda: window_named(app, title))
    walk(dialog, faults)
    press(dialog, closer)
    wait_for(f"{title!r} to close", lambda: window_named(app, title) is None)


def check(viewer, logs):
    server, display = start_x_server()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LC_ALL="C")
    program = subprocess.Popen([viewer] + logs, env=env)
    try:
        app = wait_for("viewer on the accessibility bus", lambda: application_of(program.pid))
        main = wait_for("main window", lambda: window_named(app, MAIN_WINDOW))
        tree = wait_for("thread tree", lambda: find(main, pyatspi.ROLE_TREE, "発言ツリー"))
        wait_for("loaded logs", lambda: tree.childCount > 1)  # a node beside the column header
        faults = []
        walk(app, faults)
        walk_dialog(app, main, "検索条件を設定", "検索", "キャンセル", faults)
        walk_dialog(app, main, "バージョン情報を表示", "情報", "OK", faults)
        if program.poll() is not None:
            faults.append(f"the viewer ended on its own (exit status {program.returncode})")
        return faults
    finally:
        stop(program)
        stop(server)


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    signal.signal(signal.SIGALRM, fail_on_time_limit)
    signal.alarm(TIME_LIMIT)
    faults = check(argv[1], argv[2:])
    for fault in faults:
        print("FAULT:", fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
