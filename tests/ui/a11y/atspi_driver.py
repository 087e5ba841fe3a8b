"""Drives a running program through the accessibility bus (AT-SPI over D-Bus).

Session() starts what a desktop would have: an X display of its own (Xvfb, which picks a
free display number itself), a private runtime folder, the accessibility bus
(at-spi-bus-launcher; the registry comes when first asked for), and then the program with
its accessibility bridge on. It runs inside a session bus (dbus-run-session). It finds objects by path or by walking the tree, reads their
role, name, description, states and value, presses them and sets values, and records the
events the program announces.
"""

import os
import subprocess
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class Session:
    def __init__(self, program, args, app_name):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                                     pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as displays:
            display = displays.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + display
        self.runtime = tempfile.mkdtemp(prefix="a11y-")
        os.environ["XDG_RUNTIME_DIR"] = self.runtime
        self.launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb")
        self.errors = tempfile.TemporaryFile(mode="w+")
        self.program = subprocess.Popen([program] + args, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self.errors, env=env, text=True)
        ready = self.program.stdout.readline().strip()
        if ready != "ready":
            self.program.wait(timeout=10)
            self.errors.seek(0)
            self.launcher.terminate()
            self.xvfb.terminate()
            raise RuntimeError("the program did not start (exit %s): %s" % (self.program.returncode, self.errors.read()[-2000:]))
        self.events = []
        self._listeners = []
        self.app = self._wait(lambda: self._find_app(app_name), "the program on the accessibility bus")

    def close(self):
        for listener, kind in self._listeners:
            listener.deregister(kind)
        if self.program.poll() is None:
            try:
                self.program.stdin.write("quit\n")
                self.program.stdin.flush()
                self.program.wait(timeout=10)
            except (BrokenPipeError, subprocess.TimeoutExpired):
                self.program.kill()
                self.program.wait()
        self.launcher.terminate()
        self.launcher.wait()
        self.xvfb.terminate()
        self.xvfb.wait()
        self.errors.close()

    # ---- finding
    def _find_app(self, name):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == name:
                return app
        return None

    def path_of(self, control_name):
        """The path of a control's object, as the program gives it for the control's name."""
        self.program.stdin.write("path %s\n" % control_name)
        self.program.stdin.flush()
        return self.program.stdout.readline().strip()

    def walk(self, root=None):
        stack = [root or self.app]
        while stack:
            obj = stack.pop()
            yield obj
            for i in range(obj.get_child_count() - 1, -1, -1):
                child = obj.get_child_at_index(i)
                if child is not None:
                    stack.append(child)

    def find(self, control_name, timeout=5.0):
        """The object of a control, found by its name (the program's identifier)."""
        path = self.path_of(control_name)
        if path == "none":
            raise LookupError("no control named %s" % control_name)
        return self._wait(lambda: next((o for o in self.walk() if o.path == path), None), control_name, timeout)

    # ---- reading
    @staticmethod
    def states(obj):
        names = set()
        state_set = obj.get_state_set()
        for state in state_set.get_states():
            names.add(state.value_nick)
        return names

    @staticmethod
    def value(obj):
        v = obj.get_value_iface()
        return None if v is None else v.get_current_value()

    @staticmethod
    def text(obj):
        t = obj.get_text_iface()
        return None if t is None else t.get_text(0, t.get_character_count())

    # ---- acting
    @staticmethod
    def actions(obj):
        a = obj.get_action_iface()
        return [] if a is None else [a.get_action_name(i) for i in range(a.get_n_actions())]

    def act(self, obj, action):
        a = obj.get_action_iface()
        names = self.actions(obj)
        if action not in names:
            raise LookupError("%s offers %s, not %s" % (obj.get_name(), names, action))
        return a.do_action(names.index(action))

    @staticmethod
    def set_value(obj, value):
        return obj.get_value_iface().set_current_value(value)

    @staticmethod
    def set_text(obj, text):
        return obj.get_editable_text_iface().set_text_contents(text)

    # ---- events
    def listen(self, *kinds):
        def record(event):
            self.events.append((event.type, event.source.path if event.source else "", event.detail1))

        for kind in kinds:
            listener = Atspi.EventListener.new(record)
            listener.register(kind)
            self._listeners.append((listener, kind))

    def pump(self, seconds=0.2):
        end = time.monotonic() + seconds
        context = GLib.MainContext.default()
        while time.monotonic() < end:
            while context.pending():
                context.iteration(False)
            time.sleep(0.01)

    def events_of(self, obj, prefix):
        return [e for e in self.events if e[1] == obj.path and e[0].startswith(prefix)]

    def _wait(self, probe, what, timeout=10.0):
        end = time.monotonic() + timeout
        while True:
            self.pump(0.05)
            got = probe()
            if got is not None and got is not False:
                return got
            if time.monotonic() > end:
                raise TimeoutError("waited in vain for " + what)

    def wait_for(self, probe, what, timeout=5.0):
        return self._wait(probe, what, timeout)
