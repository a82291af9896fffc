"""A world for the launcher to run in without a person at the screen.

A private X display with a window manager, the bundled management server with generated
content, and the launcher started from a download folder in a private home. It drives the
launcher the way a player does (clicking the login page, the close button, answering boxes)
and looks at what is on the screen. The demo command and the end-to-end tests both use it.
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[2]
PORT = 18080
WINDOW_SIZE = (1280, 725)
# Places in the launcher's window.
BROWSER_ORIGIN = (880, 69)
CLOSE_BUTTON = (1200 + 16, 22 + 16)
# The demo login page puts its button here (page coordinates).
LOGIN_BUTTON = (200, 322)


class Timeout(Exception):
    pass


def wait_until(condition, seconds, what):
    """Polls `condition` until it holds; raises Timeout with `what` after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Timeout(what)
        time.sleep(0.05)


def run(args, env=None, check=True, timeout=60):
    return subprocess.run(args, env=env, check=check, timeout=timeout, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True)


class Display:
    """Xvfb on a free display number, with openbox managing its windows."""

    def __init__(self, size="1600x900x24"):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", size, "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        self.env = dict(os.environ, DISPLAY=self.name, GDK_BACKEND="x11", NO_AT_BRIDGE="1")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        wait_until(lambda: "window id" in run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                              env=self.env, check=False).stdout,
                   10, "the window manager to start")

    def xdotool(self, *args, check=True):
        return run(["xdotool", *map(str, args)], env=self.env, check=check).stdout

    def pixel(self, x, y):
        """The colour at (x, y) of the screen, as (r, g, b)."""
        out = run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                  env=self.env).stdout
        match = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
        return tuple(int(v) for v in match.groups()) if match else None

    def white_columns(self, left, top, width, height):
        """The columns of a screen rectangle that hold white pixels (drawn text)."""
        out = run(["import", "-window", "root", "-crop", f"{width}x{height}+{left}+{top}",
                   "-depth", "8", "txt:-"], env=self.env).stdout
        columns = set()
        for line in out.splitlines()[1:]:
            match = re.match(r"(\d+),(\d+): \((\d+),(\d+),(\d+)", line)
            if match and all(int(v) > 200 for v in match.groups()[2:]):
                columns.add(int(match.group(1)))
        return columns

    def screenshot(self, path):
        Path(path).parent.mkdir(parents=True, exist_ok=True)
        run(["import", "-window", "root", str(path)], env=self.env)

    def close(self):
        for process in (self.wm, self.xvfb):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


class Server:
    """The bundled management server: nginx on loopback serving generated content."""

    def __init__(self, root, demo_game, rate="0"):
        self.root = Path(root)
        self.content = self.root / "content"
        self.run_dir = self.root / "server"
        self.demo_game = demo_game
        self.rate = rate

    def generate(self, version="1.0.0.1"):
        """Writes the configuration, the package of `version` and the login page anew."""
        run([str(SOURCE / "tools/demo-server/make-content.sh"), str(self.demo_game),
             str(self.content), version])

    @property
    def www(self):
        return self.content / "www"

    @property
    def config_file(self):
        return self.www / "api/ventra/ditches/lunet/client_config_lunet.php"

    @property
    def package_file(self):
        version = re.search(r"^ClientVersion=(.*)$", self.config_file.read_text(), re.M).group(1)
        return self.www / "packages/lunet" / version / "vorn.zip"

    def start(self):
        env = dict(os.environ, DEMO_RATE=self.rate)
        run([str(SOURCE / "scripts/demo-server.sh"), "start", str(self.content),
             str(self.run_dir), str(PORT)], env=env)

    def stop(self):
        run([str(SOURCE / "scripts/demo-server.sh"), "stop", str(self.run_dir)], check=False)

    def reports(self):
        """The reports as they arrived, one request URI each."""
        path = self.run_dir / "reports.log"
        return path.read_text().splitlines() if path.exists() else []

    def requests(self):
        path = self.run_dir / "access.log"
        return path.read_text().splitlines() if path.exists() else []


class Launcher:
    """The launcher started from a download folder, in a private home."""

    def __init__(self, root, executable, display):
        self.root = Path(root)
        self.home = self.root / "home"
        self.downloads = self.home / "Downloads"
        self.downloads.mkdir(parents=True, exist_ok=True)
        self.executable = self.downloads / "Brannoc"
        shutil.copy2(executable, self.executable)
        self.display = display
        self.env = dict(display.env, HOME=str(self.home), XDG_RUNTIME_DIR=str(self.root / "run"),
                        DEMO_GAME_RECORD=str(self.root / "game-record.txt"))
        for name in ("XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"):
            self.env.pop(name, None)
        (self.root / "run").mkdir(exist_ok=True)
        self.processes = []

    # Where things live.
    @property
    def install_dir(self):
        return self.downloads / "vorn-lunet"

    @property
    def client_dir(self):
        return self.install_dir / "client"

    @property
    def log_file(self):
        return self.home / ".local/state/Brannoc.log"

    @property
    def game_record(self):
        return self.root / "game-record.txt"

    def log(self):
        """The local log (complete once the launcher has ended: lines are buffered)."""
        try:
            return self.log_file.read_bytes().decode("utf-8", "replace")
        except FileNotFoundError:
            return ""

    def start(self, *args, executable=None):
        process = subprocess.Popen([str(executable or self.executable), *args],
                                   cwd=self.downloads, env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True)
        self.processes.append(process)
        return process

    def window(self, seconds=30):
        """The launcher's window: its id and its client area's top-left corner on the screen."""
        def find():
            out = self.display.xdotool("search", "--onlyvisible", "--name", "^Brannoc$",
                                       check=False)
            for window_id in out.split():
                geometry = self.display.xdotool("getwindowgeometry", "--shell", window_id,
                                                check=False)
                values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
                if (int(values.get("WIDTH", 0)), int(values.get("HEIGHT", 0))) == WINDOW_SIZE:
                    return window_id, (int(values["X"]), int(values["Y"]))
            return None
        return wait_until(find, seconds, "the launcher's window")

    def click(self, x, y):
        self.display.xdotool("mousemove", x, y, "click", "1")

    def click_in_window(self, point):
        _, (left, top) = self.window()
        self.click(left + point[0], top + point[1])

    def page_pixel(self, point):
        _, (left, top) = self.window()
        return self.display.pixel(left + BROWSER_ORIGIN[0] + point[0],
                                  top + BROWSER_ORIGIN[1] + point[1])

    def wait_for_login_page(self, seconds=60):
        """Waits until the demo login page is on the screen: its gold button is painted."""
        gold = (0xE8, 0xB6, 0x4A)
        return wait_until(lambda: self.page_pixel(LOGIN_BUTTON) == gold, seconds,
                          "the login page on the screen")

    def wait_until_ready(self, since, seconds=120):
        """Waits for the end of the update: the installation registered anew after `since`."""
        entry = self.home / "Desktop/Brannoc.desktop"
        return wait_until(lambda: entry.exists() and entry.stat().st_mtime >= since, seconds,
                          "the installation to be registered")

    def status_text_width(self):
        """How far the status line's white text reaches, in pixels (0: no text)."""
        _, (left, top) = self.window()
        columns = self.display.white_columns(left + 12, top + 554, 560, 24)
        return max(columns) + 1 if columns else 0

    def log_in(self):
        """Presses the login page's button, as a player does."""
        self.click_in_window((BROWSER_ORIGIN[0] + LOGIN_BUTTON[0],
                              BROWSER_ORIGIN[1] + LOGIN_BUTTON[1]))

    def answer_box(self, process, key="Return", seconds=30):
        """Answers the message box that `process` shows, with a key of the keyboard."""
        window = wait_until(lambda: self.display.xdotool(
            "search", "--onlyvisible", "--pid", str(process.pid), check=False).split(), seconds,
            "a message box")[0]
        self.display.xdotool("windowactivate", "--sync", window, check=False)
        self.display.xdotool("key", key)

    def game_arguments(self, seconds=30):
        """The game's record: (working folder, session leader, arguments)."""
        wait_until(self.game_record.exists, seconds, "the game to start")
        text = self.game_record.read_bytes().decode("utf-8", "replace")
        head, _, args = text.partition("arg=")
        fields = dict(line.split("=", 1) for line in head.splitlines() if "=" in line)
        arguments = [a[len("arg="):] if a.startswith("arg=") else a
                     for a in ("arg=" + args).split("\0") if a]
        return fields["cwd"], fields["session_leader"] == "1", arguments

    def wait_for_exit(self, process, seconds=30):
        try:
            return process.wait(seconds)
        except subprocess.TimeoutExpired as error:
            raise Timeout("the launcher to end") from error

    def game_processes(self):
        """Running demo games of this installation, found by their executable (their argv is
        the launcher's)."""
        game = str(self.client_dir / "vorn/vorn")
        pids = []
        for entry in Path("/proc").iterdir():
            if entry.name.isdigit():
                try:
                    if os.readlink(entry / "exe") == game:
                        pids.append(int(entry.name))
                except OSError:
                    pass
        return pids

    def stop_games(self):
        """Ends the demo games this installation started, and waits until they have gone."""
        for pid in self.game_processes():
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        wait_until(lambda: not self.game_processes(), 10, "the game to end")

    def close(self):
        self.stop_games()
        for process in self.processes:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()


def temporary_root(prefix):
    return Path(tempfile.mkdtemp(prefix=prefix))
