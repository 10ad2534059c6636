"""An X server of a check's own, and waiting for what appears on it."""
import os
import subprocess
import time


def start_x_server(screen="1024x768"):
    """Xvfb on the first free display, chosen by Xvfb itself so that checks
    run side by side never race for one."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen + "x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as display:
        number = display.readline().strip()
    if not number:
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number


def wait_for(what, find, wait=20):
    """What `find` gives once it gives anything, within `wait` seconds."""
    deadline = time.monotonic() + wait
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:  # something that went away while it was looked at
            found = None
        if found:
            return found
        time.sleep(0.1)
    raise RuntimeError(f"no {what} within {wait} seconds")


def stop(process):
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
