#!/usr/bin/env python3
"""scripts/soak-input: the memory judgement, the automation files it writes,
and its X11 heartbeat, the last two against the real player.

LUMERIA_PLAYER and LUMERIA_PUBLICATION name the player and a small
publication; without them the tests that need the player are skipped, and
without Xvfb and xdotool so is the heartbeat's."""

import importlib.machinery
import importlib.util
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[2] / "scripts" / "soak-input"
_loader = importlib.machinery.SourceFileLoader("soak_input", str(SCRIPT))
_spec = importlib.util.spec_from_loader("soak_input", _loader)
soak = importlib.util.module_from_spec(_spec)
_loader.exec_module(soak)

PLAYER = os.environ.get("LUMERIA_PLAYER", "")
PUBLICATION = os.environ.get("LUMERIA_PUBLICATION", "")
HAVE_PLAYER = bool(PLAYER and PUBLICATION and os.path.exists(PLAYER) and os.path.exists(PUBLICATION))


def every_10s(values, start=10):
    return [(start + 10 * i, kb) for i, kb in enumerate(values)]


class MemoryJudgement(unittest.TestCase):
    # A tour run on X11: the first video lifts memory by a quarter at 75 s,
    # then it stays level within 1.5 %.
    LATE_STEP = every_10s([78168, 79028, 80592, 81128, 82024, 83376, 84128, 97880, 111252, 113428, 112040,
                           112524, 110504, 112352, 112880, 110392, 111788, 110584, 111260, 111996])

    def test_runs_shorter_than_two_minutes_are_not_judged(self):
        self.assertIsNone(soak.judge_memory([]))
        self.assertIsNone(soak.judge_memory(every_10s([80000] * 5 + [200000] * 6)))

    def test_a_late_step_that_levels_off_passes(self):
        growth, reason = soak.judge_memory(self.LATE_STEP)
        self.assertGreater(growth, 0.3)
        self.assertIsNone(reason)
        growth, reason = soak.judge_memory(self.LATE_STEP[:13])
        self.assertIsNone(reason)

    def test_steady_growth_fails_and_says_where(self):
        rising = [(t, 80000 + t * 100) for t in range(10, 150, 10)]
        growth, reason = soak.judge_memory(rising)
        self.assertAlmostEqual(growth, 0.093, places=3)
        self.assertEqual(reason, "83 MB at 60 s, 87 MB at most until 100 s, 91 MB at 140 s")

    def test_growth_under_five_percent_passes_even_when_rising(self):
        growth, reason = soak.judge_memory([(t, 80000 + t * 50) for t in range(10, 150, 10)])
        self.assertLess(growth, 0.05)
        self.assertIsNone(reason)

    def test_the_command_prints_per_mille_and_exits_3_when_growing(self):
        with tempfile.TemporaryDirectory() as folder:
            rss = Path(folder, "rss.txt")
            rss.write_text("".join(f"{t} {80000 + t * 100}\n" for t in range(10, 150, 10)))
            run = subprocess.run([str(SCRIPT), "memory", str(rss)], capture_output=True, text=True)
            self.assertEqual(run.returncode, 3)
            self.assertEqual(run.stdout.splitlines()[0], "93")
            rss.write_text("\n10 80000\n")
            run = subprocess.run([str(SCRIPT), "memory", str(rss)], capture_output=True, text=True)
            self.assertEqual((run.returncode, run.stdout), (0, ""))


def automation_file(seed, seconds=30, width=320, height=240):
    run = subprocess.run([str(SCRIPT), "automation", "--seed", str(seed), "--seconds", str(seconds), "--width",
                          str(width), "--height", str(height), "--beats", "B", "--shots", "S"],
                         capture_output=True, text=True, check=True)
    return run.stdout.splitlines()


INPUT_VERBS = {"click", "press", "move", "key", "type", "quit"}


class AutomationFiles(unittest.TestCase):
    def test_a_seed_gives_the_same_file_and_another_seed_another(self):
        self.assertEqual(automation_file(7), automation_file(7))
        self.assertNotEqual(automation_file(7), automation_file(8))

    def test_waits_fill_the_time_with_beats_far_inside_the_hang_timeout(self):
        for seed in range(20):
            lines = automation_file(seed)
            waited = since_beat = 0
            for line in lines:
                if line.startswith("wait "):
                    ms = int(line.split()[1])
                    waited += ms
                    since_beat += ms
                elif line.startswith("dump-vars "):
                    # The soak calls 10 s without a beat a hang.
                    self.assertLessEqual(since_beat, 2500, f"seed {seed}")
                    since_beat = 0
            self.assertGreaterEqual(waited, 30000)
            self.assertLess(waited, 30500)
            self.assertEqual(lines[-1], "quit")

    def test_beats_count_the_input_before_them_and_drags_release_what_they_press(self):
        lines = automation_file(3, seconds=60)
        events = 0
        pressed = False
        for line in lines:
            beat = re.fullmatch(r"# beat (\d{5}) events (\d+)", line)
            if beat:
                self.assertEqual(int(beat.group(2)), events)
                continue
            verb = line.split()[0]
            if pressed:
                # Only moves and waits while the button is held: a drag is
                # one event, and nothing else may come between.
                self.assertIn(verb, {"move", "wait", "release"}, line)
                if verb == "release":
                    pressed = False
                    events += 1
            elif verb == "press":
                pressed = True
            elif verb in INPUT_VERBS:
                events += 1
        self.assertFalse(pressed)
        self.assertGreater(events, 100)


def player_env(**extra):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", SDL_AUDIODRIVER="dummy")
    env.update(extra)
    return env


@unittest.skipUnless(HAVE_PLAYER, "LUMERIA_PLAYER and LUMERIA_PUBLICATION are not set")
class AgainstThePlayer(unittest.TestCase):
    def test_the_player_takes_every_line_the_generator_can_write(self):
        with tempfile.TemporaryDirectory() as folder:
            beats = Path(folder, "beats")
            beats.mkdir()
            generated = [line.replace(" B/", f" {beats}/").replace(" S/", f" {folder}/")
                         for line in automation_file(11, seconds=3)]
            # Every key name with every modifier, then a generated file;
            # Esc, which closes the window, last.
            keys = [f"key {k}" for k in soak.AUTOMATION_KEYS] + ["key Tab shift ctrl alt"]
            auto = Path(folder, "all.auto")
            auto.write_text("\n".join(keys + generated[:-1] + ["key Esc"]) + "\n")
            run = subprocess.run([PLAYER, PUBLICATION, "--automate", str(auto)], cwd=folder,
                                 env=player_env(TMPDIR=folder), capture_output=True, text=True, timeout=120)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertNotIn("automation line", run.stderr)
            self.assertTrue(any(beats.iterdir()))


@unittest.skipUnless(HAVE_PLAYER and shutil.which("Xvfb") and shutil.which("xdotool"),
                     "needs the player, Xvfb and xdotool")
class X11Heartbeat(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        # Xvfb picks a free display and writes its number to the pipe.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            self.display = ":" + numbers.readline().strip()
        self.player = subprocess.Popen([PLAYER, PUBLICATION], cwd=self.folder.name,
                                       env=player_env(QT_QPA_PLATFORM="xcb", DISPLAY=self.display,
                                                      TMPDIR=self.folder.name),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def tearDown(self):
        self.player.send_signal(signal.SIGCONT)
        self.player.terminate()
        self.player.wait(timeout=60)
        self.xvfb.terminate()
        self.xvfb.wait(timeout=30)
        self.folder.cleanup()

    def drive(self, seconds):
        alive = Path(self.folder.name, "alive")
        subprocess.run([str(SCRIPT), "x11", "--seed", "1", "--seconds", str(seconds), "--pid", str(self.player.pid),
                        "--alive", str(alive), "--log", str(Path(self.folder.name, "x.log"))],
                       env=dict(os.environ, DISPLAY=self.display), check=True, timeout=seconds + 60)
        beats, events = (int(v) for v in alive.read_text().split())
        return beats, events

    def test_a_running_player_answers_pings_and_a_stopped_one_does_not(self):
        # The window first: its pings are answered once it is mapped.
        for _ in range(300):
            if subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.player.pid)],
                              env=dict(os.environ, DISPLAY=self.display), capture_output=True).stdout.strip():
                break
            time.sleep(0.1)
        beats, events = self.drive(4)
        self.assertGreaterEqual(beats, 2)
        self.assertGreater(events, 0)
        self.player.send_signal(signal.SIGSTOP)
        beats, events = self.drive(3)
        self.assertEqual(beats, 0)


if __name__ == "__main__":
    unittest.main()
