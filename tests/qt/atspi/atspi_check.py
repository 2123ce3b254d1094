#!/usr/bin/env python3
"""Reads the program's windows as a screen reader does, over AT-SPI, under Xvfb.

    atspi_check.py KESTRAPOL MAKE_SAMPLE WORK_FOLDER

Runs itself again inside a private session bus, starts an X server on a free display and the
accessibility bus,
then `KESTRAPOL -w BIG BAD`: BIG is large enough for the progress window to stay a while, BAD
holds a file whose name DICOM media do not allow. Checks that the progress window shows a
Cancel button that can be pressed and a progress value that rises, that the panel's text holds
the WARNING line and that the results list has a row per folder. Exits 77 (skipped) when a
tool is missing, 1 with the reason when a check fails.
"""
import os
import shutil
import signal
import subprocess
import sys
import time

SKIP = 77
RUN_SECONDS = 60.0


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def fail(reason):
    print("FAILED: " + reason)
    sys.exit(1)


def outer(argv):
    for tool in ("dbus-run-session", "Xvfb"):
        if not shutil.which(tool):
            skip(tool + " is not installed")
    if not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        skip("at-spi-bus-launcher is not installed (at-spi2-core)")
    check = subprocess.run([sys.executable, "-c", "import pyatspi"], capture_output=True)
    if check.returncode != 0:
        skip("python3-pyatspi is not installed")
    command = ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inner"] + argv
    return subprocess.run(command, timeout=RUN_SECONDS * 2).returncode


def make_folders(make_sample, work):
    shutil.rmtree(work, ignore_errors=True)
    sample = os.path.join(work, "sample")
    subprocess.run([make_sample, sample], check=True)
    sources = []
    for top, _, files in os.walk(sample):
        sources += [os.path.join(top, name) for name in sorted(files)]
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


def walk(node, depth=0):
    if node is None or depth > 12:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def role(node):
    try:
        return node.getRoleName()
    except Exception:
        return ""


def inner(argv):
    import pyatspi

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
            number = display.readline().strip()
        if not number:
            fail("Xvfb did not start")
        env = dict(os.environ, DISPLAY=":" + number, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        os.environ["DISPLAY"] = env["DISPLAY"]
        launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env)
        time.sleep(1.0)
        program = subprocess.Popen([kestrapol, "-w", big, bad], env=env)
        return checks(pyatspi, program)
    finally:
        for process in (program, launcher, server):
            if process and process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()


def rows_of(node):
    try:
        return node.queryTable().nRows
    except Exception:
        return 0


def find_application(pyatspi, program, deadline):
    pid = program.pid
    while time.monotonic() < deadline:
        if program.poll() is not None:
            fail("the program ended with %d before it was seen" % program.returncode)
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            application = desktop.getChildAtIndex(i)
            try:
                if application is not None and application.get_process_id() == pid:
                    return application
            except Exception:
                continue
        time.sleep(0.05)
    fail("the program never appeared on the accessibility bus")


def checks(pyatspi, program):
    deadline = time.monotonic() + RUN_SECONDS
    application = find_application(pyatspi, program, deadline)
    values, cancel_actions, bar = [], None, None
    # The progress window: Cancel with its press action, and the value rising while it lives.
    # Found once by walking the tree; then only the value is read, as fast as the bus answers.
    while time.monotonic() < deadline and bar is None:
        application.clearCache()
        nodes = list(walk(application))
        bars = [node for node in nodes if role(node) == "progress bar"]
        buttons = [node for node in nodes if role(node) == "push button" and node.name == "Cancel"]
        if bars and buttons:
            bar = bars[0]
            action = buttons[0].queryAction()
            cancel_actions = [action.getName(i) for i in range(action.nActions)]
        elif program.poll() is not None:
            fail("the program ended early with %d" % program.returncode)
        elif any(node.name == "Results" and rows_of(node) >= 2 for node in nodes):
            fail("the run ended before the progress window was seen")
        else:
            time.sleep(0.02)
    while bar is not None and time.monotonic() < deadline and len(values) < 3:
        try:
            value = bar.queryValue().currentValue
        except Exception:
            break  # the window has gone
        if value > 0 and (not values or value != values[-1]):
            values.append(value)
    print("progress values seen:", values[:10], "Cancel actions:", cancel_actions)
    if cancel_actions is None:
        fail("no Cancel button in the progress window")
    if "Press" not in cancel_actions:
        fail("Cancel cannot be pressed: %s" % cancel_actions)
    if len(values) < 2 or values != sorted(values):
        fail("no rising progress value: %s" % values)

    # After the run: the panel's text and the results list.
    rows, text = 0, ""
    while time.monotonic() < deadline:
        application.clearCache()
        nodes = list(walk(application))
        panels = [node for node in nodes if role(node) == "text" and node.name == "Report"]
        lists = [node for node in nodes if node.name == "Results"]
        if panels:
            reader = panels[0].queryText()
            text = reader.getText(0, reader.characterCount)
        if lists:
            rows = rows_of(lists[0])
        if rows >= 2 and "WARNING: Invalid file name" in text:
            break
        time.sleep(0.2)
    print("results rows:", rows)
    if "WARNING: Invalid file name" not in text:
        fail("the panel's text has no WARNING line; it ends with: %r" % text[-300:])
    if rows < 2:
        fail("the results list shows %d rows, not one per folder" % rows)
    print("OK")
    return 0


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--inner":
        sys.exit(inner(sys.argv[2:]))
    if len(sys.argv) != 4:
        print(__doc__)
        sys.exit(2)
    sys.exit(outer(sys.argv[1:]))
