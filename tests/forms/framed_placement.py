#!/usr/bin/python3
"""Where the viewer's main window stands under a window manager that frames it.

Starts the viewer on an X server of its own with openbox framing its windows,
and fails unless the frame, as openbox drew it, is centred on the screen and
lies wholly on it: at the screen sizes and scales below, among them a scale at
which the window as designed is larger than the screen. Only a framing window
manager tells the frame after the window is shown, so only here is the window
seen to be placed again by the frame it was given.

usage: framed_placement.py VIEWER LOG...
"""
import os
import re
import subprocess
import sys
import time

from x_session import start_x_server, stop, wait_for

MAIN_WINDOW = "ZU_Kirdo for Windows95 Ver2.0"
SETTLED = 0.5  # seconds the frame must stay where it is before it is measured

# (screen, Qt's scale factor)
PLACES = [("1024x768", "1"), ("800x600", "2")]


def x_output(display, *command):
    return subprocess.run(list(command), env=dict(os.environ, DISPLAY=display), capture_output=True,
                          text=True, check=False).stdout


def framed_geometry(display):
    """(left, top, width, height) of the main window's frame, once openbox
    has framed it; None before."""
    frame = re.search(r"= (\d+), (\d+), (\d+), (\d+)",
                      x_output(display, "xprop", "-name", MAIN_WINDOW, "_NET_FRAME_EXTENTS"))
    info = x_output(display, "xwininfo", "-name", MAIN_WINDOW)
    if not frame or "IsViewable" not in info:
        return None
    field = {key: int(re.search(key + r":\s+(-?\d+)", info).group(1))
             for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")}
    left, right, top, bottom = (int(v) for v in frame.groups())
    return (field["Absolute upper-left X"] - left, field["Absolute upper-left Y"] - top,
            field["Width"] + left + right, field["Height"] + top + bottom)


def settled_geometry(display):
    """The frame's geometry once it stays the same for SETTLED seconds."""
    last = None
    while True:
        now = wait_for("framed main window", lambda: framed_geometry(display))
        if now == last:
            return now
        last = now
        time.sleep(SETTLED)


def faults_at(viewer, logs, screen, scale):
    width, height = (int(v) for v in screen.split("x"))
    server, display = start_x_server(screen)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", QT_SCALE_FACTOR=scale, LC_ALL="C")
    manager = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    program = None
    try:
        wait_for("openbox", lambda: "window id" in x_output(display, "xprop", "-root", "_NET_SUPPORTING_WM_CHECK"))
        program = subprocess.Popen([viewer] + logs, env=env)
        x, y, w, h = settled_geometry(display)
        where = f"at {screen}, scale {scale}: frame {w}x{h} at ({x}, {y})"
        faults = []
        if x < 0 or y < 0 or x + w > width or y + h > height:
            faults.append(f"{where} is not wholly on the screen")
        if abs(2 * x + w - width) > 2 or abs(2 * y + h - height) > 2:
            faults.append(f"{where} is not centred")
        return faults
    finally:
        if program:
            stop(program)
        stop(manager)
        stop(server)


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    faults = [f for screen, scale in PLACES for f in faults_at(argv[1], argv[2:], screen, scale)]
    for fault in faults:
        print("FAULT:", fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
