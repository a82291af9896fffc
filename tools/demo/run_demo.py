#!/usr/bin/env python3
"""Runs the launcher against the bundled management server.

With a display, the launcher opens on it and you log in yourself. Without one (or with
--headless) it runs on a private Xvfb display, logs in through the page by itself and saves
screenshots of each stage. Everything lives under the demo folder (build/main/demo): a private
home, the server's content and logs, the screenshots. A second run finds the client installed
and shows the road without a download.
"""

import argparse
import os
import sys
import time
from pathlib import Path

import demo_world as world


def parse():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True, help="the build folder (holds Brannoc)")
    parser.add_argument("--headless", action="store_true", help="run on a private display")
    parser.add_argument("--rate", default="2m", help="package download rate (0: no limit)")
    return parser.parse_args()


def headless_run(root, launcher_exe, server):
    counter = root / "runs"
    run_number = int(counter.read_text()) + 1 if counter.exists() else 1
    counter.write_text(str(run_number))
    shots = root / "screenshots"
    display = world.Display()
    launcher = world.Launcher(root, launcher_exe, display)
    launcher.game_record.unlink(missing_ok=True)
    saved = []

    def shot(name):
        path = shots / f"run{run_number}-{name}.png"
        display.screenshot(path)
        saved.append(path)

    try:
        first_installation = not launcher.client_dir.joinpath("game_client_version.txt").exists()
        started = time.time() - 1
        process = launcher.start()
        launcher.window()
        if first_installation:
            package = launcher.install_dir / "vorn.zip"
            world.wait_until(lambda: package.exists() and package.stat().st_size > 1 << 20, 60,
                             "the download to show progress")
            shot("1-progress")
        launcher.wait_until_ready(started)
        launcher.wait_for_login_page()
        time.sleep(0.5)  # the status line is drawn right after the registration
        shot("2-login")
        launcher.log_in()
        cwd, _, arguments = launcher.game_arguments(30)
        launcher.wait_for_exit(process, 30)
        world.wait_until(lambda: display.xdotool("search", "--onlyvisible", "--name",
                                                 "demo game|Brannoc .demo", check=False),
                         30, "the game's window")
        time.sleep(1.5 if first_installation else 0.5)  # the maximising comes a second later
        shot("3-game")
        print(f"run {run_number}: {'first installation' if first_installation else 'client current'}")
        print(f"  the game started in {cwd} with: {' '.join(arguments)}")
    finally:
        launcher.close()
        display.close()
    print("  screenshots:")
    for path in saved:
        print(f"    {path}")


def main():
    args = parse()
    build = Path(args.build).resolve()
    launcher_exe = build / "Brannoc"
    demo_game = build / "tools/vorn_demo"
    root = build / "demo"
    root.mkdir(parents=True, exist_ok=True)
    # The same content on every run, so that a second run finds its client current.
    server = world.Server(root, demo_game, rate=args.rate)
    if not server.config_file.exists():
        server.generate()
    server.start()
    try:
        if args.headless or not os.environ.get("DISPLAY"):
            headless_run(root, launcher_exe, server)
        else:
            home = root / "home"
            print(f"The launcher installs into a private home: {home}")
            launcher_dir = home / "Downloads"
            launcher_dir.mkdir(parents=True, exist_ok=True)
            target = launcher_dir / "Brannoc"
            target.write_bytes(launcher_exe.read_bytes())
            target.chmod(0o755)
            env = dict(os.environ, HOME=str(home))
            for name in ("XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"):
                env.pop(name, None)
            os.spawnve(os.P_WAIT, str(target), [str(target)], env)
        print(f"  the install folder: {root / 'home/Downloads/vorn-lunet'}")
        print(f"  the local log: {root / 'home/.local/state/Brannoc.log'}")
        print(f"  the reports the server received: {root / 'server/reports.log'}")
    finally:
        server.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
