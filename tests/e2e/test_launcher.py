"""End-to-end: the launcher executable against the bundled management server.

Each case runs in its own temporary home on its own X display (with a window manager), with
the server on its fixed loopback port, and drives the launcher as a player does. The cases run
one at a time (they share the server's port).
"""

import os
import re
import shutil
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools/demo"))
import demo_world as world  # noqa: E402

BUILD = Path(os.environ.get("LAUNCHER_BUILD_DIR", "build/main")).resolve()
LAUNCHER = BUILD / "Brannoc"
DEMO_GAME = BUILD / "tools/vorn_demo"

# One report per line, as the server logs its request URI.
REPORT = re.compile(
    r"^/api/laucher_(info|error)\.php\?client_uid=([0-9a-f]{32}|unkown|)"
    r"&ditch_name=lunet&mac=([0-9A-F]{2}(-[0-9A-F]{2}){5}|unkown)"
    r"&os_version=[A-Za-z0-9%._~-]*(&ac=[a-z_]+|&error_msg=[A-Za-z0-9%._~-]*)?$")


def report_key(uri):
    """A report by what it says: the event's action or the message, decoded."""
    from urllib.parse import unquote
    if uri.startswith("/api/laucher_info.php"):
        match = re.search(r"&ac=([a-z_]+)$", uri)
        return "event:" + (match.group(1) if match else "-")
    return "log:" + unquote(uri.split("&error_msg=", 1)[1])


class LauncherTest(unittest.TestCase):
    def setUp(self):
        self.root = world.temporary_root("launcher-e2e-")
        self.display = world.Display()
        self.server = world.Server(self.root, DEMO_GAME)
        self.server.generate("1.0.0.1")
        self.server.start()
        self.launcher = world.Launcher(self.root, LAUNCHER, self.display)

    def tearDown(self):
        self.launcher.close()
        self.server.stop()
        self.display.close()
        shutil.rmtree(self.root, ignore_errors=True)

    # A whole run: start, wait for the update's end, log in, the game starts, the launcher ends.
    def run_to_game(self):
        started = time.time() - 1
        process = self.launcher.start()
        self.launcher.window()
        self.launcher.wait_until_ready(started)
        self.launcher.wait_for_login_page()
        self.launcher.log_in()
        record = self.launcher.game_arguments()
        self.assertEqual(self.launcher.wait_for_exit(process), 0)
        self.launcher.stop_games()
        return record

    def assert_reports(self, expected):
        reports = self.server.reports()
        for uri in reports:
            self.assertRegex(uri, REPORT)
        self.assertEqual(sorted(report_key(uri) for uri in reports), sorted(expected))

    def test_first_installation_reaches_the_game(self):
        cwd, leader, arguments = self.run_to_game()
        client = self.launcher.client_dir
        self.assertEqual(cwd, str(client / "vorn"))
        self.assertTrue(leader)
        self.assertEqual(arguments, [str(self.launcher.executable),
                                     "--parameters=demo-token-demo",
                                     "--plat_extra=channel:lunet;server:demo-1"])
        self.assertEqual((client / "game_client_version.txt").read_text(), "1.0.0.1")
        self.assertFalse((self.launcher.install_dir / "vorn.zip").exists())
        self.assertTrue((self.launcher.install_dir / "Brannoc").exists())
        key = (self.launcher.home / ".local/share/vorn_lunet/uninstall.ini").read_text()
        self.assertIn(f"InstallPath={self.launcher.install_dir}\n", key)
        for entry in ("Desktop/Brannoc.desktop",
                      ".local/share/applications/Apps/lunet/Brannoc.desktop",
                      ".local/share/applications/Apps/lunet/Brannoc-卸载.desktop"):
            self.assertTrue((self.launcher.home / entry).exists(), entry)
        self.assert_reports([
            "event:create", "log:launcher start",
            "event:download_start",
            "log:game download start, download url:"
            f"http://127.0.0.1:{world.PORT}/packages/lunet/1.0.0.1/vorn.zip",
            "event:unzip_start", "log:game download success",
            "log:game unzip start", "event:-", "log:game unzip success",
            "event:game_start", "log:game start", "log:game start success",
        ])
        log = self.launcher.log()
        self.assertIn("[CWebCDlg::LaunchGame::", log)
        self.assertIn("] LaunchGame Succ\r\n", log)

    def test_a_later_run_with_the_client_current_downloads_nothing(self):
        self.run_to_game()
        requests_before = len(self.server.requests())
        reports_before = len(self.server.reports())
        self.launcher.game_record.unlink()
        _, _, arguments = self.run_to_game()
        self.assertEqual(arguments[1], "--parameters=demo-token-demo")
        later = self.server.requests()[requests_before:]
        self.assertFalse([r for r in later if "/packages/" in r], later)
        later_reports = [report_key(uri) for uri in self.server.reports()[reports_before:]]
        self.assertEqual(sorted(later_reports), sorted([
            "event:create", "log:launcher start",
            "event:game_start", "log:game start", "log:game start success"]))

    def test_a_newer_minimum_version_updates_the_client(self):
        self.run_to_game()
        self.server.generate("1.0.0.2")
        self.launcher.game_record.unlink()
        self.run_to_game()
        client = self.launcher.client_dir
        self.assertEqual((client / "game_client_version.txt").read_text(), "1.0.0.2")
        self.assertEqual((client / "vorn/data/version.txt").read_text(),
                         "Brannoc demo client 1.0.0.2\n")
        self.assertIn("GET /packages/lunet/1.0.0.2/vorn.zip 200", "\n".join(self.server.requests()))

    def test_a_download_cut_by_closing_resumes_in_the_next_run(self):
        self.server.stop()
        self.server.rate = "300k"
        self.server.start()
        package = self.launcher.install_dir / "vorn.zip"
        process = self.launcher.start()
        self.launcher.window()
        world.wait_until(lambda: package.exists() and package.stat().st_size > 256 * 1024, 60,
                         "a part of the package")
        self.launcher.click_in_window(world.CLOSE_BUTTON)
        self.assertEqual(self.launcher.wait_for_exit(process), 0)
        record = (self.launcher.install_dir / "tempdownload.dat").read_text()
        offset = int(re.match(r"offset=(\d+)\ntotalSize=(\d+)\n", record).group(1))
        full = self.server.package_file.stat().st_size
        self.assertTrue(0 < offset < full, record)
        self.assertEqual(package.stat().st_size, offset)
        self.assertIn("] Laucher Stop\r\n", self.launcher.log())

        self.server.stop()
        self.server.rate = "0"
        self.server.start()
        self.run_to_game()
        self.assertIn(f"] 断点续传开始: {offset}/{full}\r\n", self.launcher.log())
        ranged = [r for r in self.server.requests() if "/packages/" in r]
        self.assertEqual(ranged, [f'GET /packages/lunet/1.0.0.1/vorn.zip 206 {full - offset} '
                                  f'"bytes={offset}-"'])
        # The package held the server's bytes: every file came out whole and checked.
        stage = self.root / "unzipped"
        world.run(["unzip", "-q", str(self.server.package_file), "-d", str(stage)])
        for name in ("vorn/vorn", "vorn/data/assets.bin", "vorn/data/说明.txt"):
            self.assertEqual((self.launcher.client_dir / name).read_bytes(),
                             (stage / name).read_bytes(), name)

    def failed_run(self):
        process = self.launcher.start()
        self.launcher.window()
        return process

    def close_and_log(self, process):
        self.launcher.click_in_window(world.CLOSE_BUTTON)
        self.assertEqual(self.launcher.wait_for_exit(process), 0)
        return self.launcher.log()

    def test_failure_codes_show_in_the_status_line(self):
        cases = [
            # code, how the server fails, the log line that tells it
            (102, lambda: self.server.config_file.unlink(),
             "][ERROR][CGameRemoteConfig::InitRemoteConfig::", "res:0, httpStatusCode:404]"),
            (104, lambda: self.server.package_file.unlink(),
             "] download is error!\r\n", "][download error]"),
            (103, lambda: self.server.package_file.write_bytes(b"not a zip archive" * 100),
             "] unzip is error!\r\n", "][download error]"),
        ]
        for code, break_server, first_line, second_line in cases:
            with self.subTest(code=code):
                self.server.generate("1.0.0.1")
                break_server()
                process = self.failed_run()
                # The failure's end: the status line with its code, the progress bar hidden.
                world.wait_until(lambda: self.status_line_has_text(), 60, "the status line")
                log = self.close_and_log(process)
                self.assertIn(first_line, log)
                self.assertIn(second_line, log)
                self.assertFalse(self.launcher.game_record.exists())
                shutil.rmtree(self.launcher.install_dir, ignore_errors=True)

    def status_line_has_text(self):
        # "更新失败,请检查网络,ErrorCode:10x" reaches far further than "更新已完成".
        return self.launcher.status_text_width() > 250

    def test_a_second_start_is_refused_and_leaves_the_first_ones_log_alone(self):
        first = self.launcher.start()
        self.launcher.window()
        self.launcher.wait_for_login_page()
        second = self.launcher.start()
        self.launcher.answer_box(second)
        self.assertEqual(self.launcher.wait_for_exit(second), 0)
        self.assertIsNone(first.poll())
        log = self.close_and_log(first)
        # The refused start neither emptied the running launcher's log (which would leave a hole
        # of NUL bytes before the running one's later lines) nor wrote into it.
        self.assertNotIn("\0", log)
        self.assertTrue(log.startswith("["), log[:80])
        self.assertEqual(log.count("] Laucher Start\r\n"), 1)
        self.assertEqual(log.count("&ac=create"), 1)

    def test_uninstall_after_install_removes_the_game(self):
        self.run_to_game()
        process = self.launcher.start("/uninstall", executable=self.launcher.install_dir / "Brannoc")
        self.launcher.answer_box(process)  # Yes is the default button
        self.assertEqual(self.launcher.wait_for_exit(process), 0)
        home = self.launcher.home
        self.assertFalse(self.launcher.client_dir.exists())
        self.assertFalse((home / ".local/share/applications/Apps/lunet").exists())
        self.assertTrue((home / ".local/share/applications/Apps").exists())
        self.assertFalse((home / "Desktop/Brannoc.desktop").exists())
        self.assertFalse((home / ".local/share/vorn_lunet/uninstall.ini").exists())
        world.wait_until(lambda: not self.launcher.install_dir.exists(), 30,
                         "the install folder to go")
        self.assertTrue(self.launcher.executable.exists())
        self.assertIn("log:game unintall success", [report_key(r) for r in self.server.reports()])


if __name__ == "__main__":
    unittest.main()
