#!/usr/bin/env python3
"""Reads the program's windows as a screen reader does, over AT-SPI, under Xvfb.

    atspi_check.py KESTRAPOL MAKE_SAMPLE WORK_FOLDER

Runs itself again in a private session bus with its own X server and accessibility bus, then
`KESTRAPOL -w BIG BAD` (BIG keeps the progress window up a while; BAD holds a file name media do
not allow). The progress window must show a Cancel button that can be pressed and a rising value;
afterwards the panel's text must hold the WARNING line and the results list a row per folder.
Exits 77 (skipped) when a tool is missing, 1 with the reason when a check fails.
"""
import os
import shutil
import subprocess
import sys
import time

RUN_SECONDS = 60.0


# The program ended before its window showed: the X server may have been lost meanwhile, which
# happens on loaded machines. The whole check runs once more, with a new server.
NOT_SEEN = 3


def fail(reason, code=1):
    print("FAILED: " + reason)
    sys.exit(code)


def outer(argv):
    missing = [tool for tool in ("dbus-run-session", "Xvfb") if not shutil.which(tool)]
    if not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        missing.append("at-spi-bus-launcher (at-spi2-core)")
    if subprocess.run([sys.executable, "-c", "import pyatspi"], capture_output=True).returncode != 0:
        missing.append("python3-pyatspi")
    if missing:
        print("SKIPPED: not installed: " + ", ".join(missing))
        return 77
    command = ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inner"] + argv
    code = subprocess.run(command, timeout=RUN_SECONDS * 2).returncode
    if code == NOT_SEEN:
        print("once more, with a new X server")
        code = subprocess.run(command, timeout=RUN_SECONDS * 2).returncode
    return code


def make_folders(make_sample, work):
    shutil.rmtree(work, ignore_errors=True)
    sample = os.path.join(work, "sample")
    subprocess.run([make_sample, sample], check=True)
    sources = [os.path.join(top, name) for top, _, files in os.walk(sample) for name in sorted(files)]
    bad = os.path.join(work, "BAD")
    os.makedirs(bad)
    shutil.copy(sources[0], os.path.join(bad, "lower.dcm"))
    # Hard links: many files to read for little writing. Each source keeps under the link limit.
    big = os.path.join(work, "BIG")
    for folder in range(200):
        path = os.path.join(big, "D%03d" % folder)
        os.makedirs(path)
        for index in range(250):
            os.link(sources[(folder * 250 + index) % len(sources)], os.path.join(path, "F%05d" % index))
    return big, bad


def named(application, role, name=None):
    """The nodes with that role (None: any) and name; parts that vanish while they are read are left out."""
    application.clearCache()
    found, stack = [], [(application, 0)]
    while stack:
        node, depth = stack.pop()
        try:
            if (role is None or node.getRoleName() == role) and (name is None or node.name == name):
                found.append(node)
            if depth < 12:
                stack.extend((node.getChildAtIndex(i), depth + 1) for i in range(node.childCount))
        except Exception:
            continue
    return found


def rows_of(node):
    try:
        return node.queryTable().nRows
    except Exception:
        return 0


def inner(argv):
    kestrapol, make_sample, work = argv
    big, bad = make_folders(make_sample, work)
    # The server picks a free display itself: other X servers may come and go meanwhile.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                              pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    launcher = program = None
    try:
        with os.fdopen(read_end) as display:
            os.environ["DISPLAY"] = ":" + display.readline().strip()
        if os.environ["DISPLAY"] == ":":
            fail("Xvfb did not start")
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env)
        time.sleep(1.0)
        program = subprocess.Popen([kestrapol, "-w", big, bad], env=env)
        return checks(program)
    finally:
        for process in (program, launcher, server):
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()


def checks(program):
    import pyatspi

    deadline = time.monotonic() + RUN_SECONDS
    application = None
    while application is None and time.monotonic() < deadline:
        if program.poll() is not None:
            fail("the program ended with %d before it was seen" % program.returncode, NOT_SEEN)
        desktop = pyatspi.Registry.getDesktop(0)
        for application in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
            try:
                if application is not None and application.get_process_id() == program.pid:
                    break
            except Exception:
                pass
        else:
            application = None
            time.sleep(0.05)
    if application is None:
        fail("the program never appeared on the accessibility bus")

    # The progress window: found once, then only its value is read, as fast as the bus answers.
    bar = cancel_actions = None
    while bar is None and time.monotonic() < deadline:
        bars, buttons = named(application, "progress bar"), named(application, "push button", "Cancel")
        if bars and buttons:
            bar, action = bars[0], buttons[0].queryAction()
            cancel_actions = [action.getName(i) for i in range(action.nActions)]
        elif program.poll() is not None:
            fail("the program ended early with %d" % program.returncode)
        elif any(rows_of(node) >= 2 for node in named(application, None, "Results")):
            fail("the run ended before the progress window was seen")
        else:
            time.sleep(0.02)
    values = []
    while bar is not None and time.monotonic() < deadline and len(values) < 3:
        try:
            value = bar.queryValue().currentValue
        except Exception:
            break  # the window has gone
        if value > 0 and (not values or value != values[-1]):
            values.append(value)
    print("progress values seen:", values[:10], "Cancel actions:", cancel_actions)
    if cancel_actions is None or "Press" not in cancel_actions:
        fail("no Cancel button that can be pressed in the progress window: %s" % cancel_actions)
    if len(values) < 2 or values != sorted(values):
        fail("no rising progress value: %s" % values)

    # After the run: the panel's text and the results list.
    rows, text = 0, ""
    while time.monotonic() < deadline and not (rows >= 2 and "WARNING: Invalid file name" in text):
        for panel in named(application, "text", "Report")[:1]:
            reader = panel.queryText()
            text = reader.getText(0, reader.characterCount)
        rows = max([rows_of(node) for node in named(application, None, "Results")] + [0])
        time.sleep(0.2)
    print("results rows:", rows)
    if "WARNING: Invalid file name" not in text:
        fail("the panel's text has no WARNING line; it ends with: %r" % text[-300:])
    if rows < 2:
        fail("the results list shows %d rows, not one per folder" % rows)
    print("OK")
    return 0


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "--inner":
        sys.exit(inner(sys.argv[2:]))
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(outer(sys.argv[1:]))
