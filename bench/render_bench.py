#!/usr/bin/python3
"""Render benchmark: what the viewer's player costs to show a stream, against the mpv
command-line player on the same stream in the same run.

    bench/render_bench.py [BUILD_DIR] [--rounds N] [--cases PATTERN]

BUILD_DIR (default: build) holds bench/render_driver, a program that shows the
viewer's player alone. The clips, H.264 at 25 frames a second with AAC sound, are
made once with GStreamer and kept in BUILD_DIR/bench/render-clips; the loopback RTSP
server (tv/tests/rtsp_server.py) streams them from the file, so no encoder runs while
the players are measured. Everything plays on a 1920x1080 Xvfb screen of its own.

Each case is one clip, one player size (the 441x329 of the main window, or the whole
screen) and one way of drawing: the player's software path (VIEWDIAL_RENDER=software)
against `mpv --vo=x11`, its OpenGL path (VIEWDIAL_RENDER=opengl) against
`mpv --vo=gpu --gpu-sw`; under Xvfb both OpenGL players draw with Mesa's llvmpipe.
A measurement starts a player, waits for its first picture, checks with xwininfo that
its window has the size of the case, lets it settle for 3 s and then counts, over
15 s, the CPU seconds of the player's process plus the X server's and the pictures
shown against the 25 a second expected, and what the rest of the machine used
meanwhile, since other work disturbs the figures. The viewer's player counts its
frameRendered signals; mpv's pictures are the frames its playback position advanced
over, less those it dropped (frame-drop-count and decoder-frame-drop-count, read over
its JSON IPC).
A case of the OpenGL path is marked when the viewer's player loaded no OpenGL driver,
that is, when it drew in software instead. The two players take turns going first. A
case whose rounds come within 10 % of parity, or fall on both sides of it, gets a
third round. The last lines give each case's medians and the ratio viewdial / mpv of
its CPU seconds.
"""
import argparse
import hashlib
import json
import os
import re
import select
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SERVER = ROOT / "tv" / "tests" / "rtsp_server.py"
SCREEN = (1920, 1080)
WINDOW = (441, 329)
FPS = 25
CLIP_SECONDS = 45
SETTLE_SECONDS = 3
MEASURE_SECONDS = 15
FIRST_PICTURE_TIMEOUT = 20
CLOSE_TO_PARITY = 0.10
TICKS = os.sysconf("SC_CLK_TCK")

CLIPS = {"720p": (1280, 720, 3000), "1080p": (1920, 1080, 6000)}

# The whole picture scrolls and a clock runs in it, so that every picture differs
# from the one before all over, as a broadcast's do.
CLIP_PIPELINE = (
    "videotestsrc pattern=smpte horizontal-speed=4 num-buffers={frames} "
    "! video/x-raw,width={width},height={height},framerate={fps}/1 "
    "! timeoverlay font-desc=\"Sans 48\" "
    "! x264enc speed-preset=veryfast bframes=0 key-int-max={gop} bitrate={kbps} "
    "! video/x-h264,profile=high ! h264parse ! queue ! mp4mux name=mux "
    "! filesink location={location} "
    "audiotestsrc wave=sine samplesperbuffer={samples} num-buffers={frames} "
    "! audio/x-raw,rate=48000,channels=2 ! audioconvert ! avenc_aac ! aacparse "
    "! queue ! mux."
)


@dataclass
class Case:
    clip: str
    full: bool
    render: str  # the viewer's VIEWDIAL_RENDER
    vo: list  # mpv's options for the same way of drawing
    rounds: list = field(default_factory=list)  # (viewdial, mpv) Measurement pairs

    @property
    def name(self):
        size = "full screen" if self.full else "441x329"
        return f"{self.clip:5} {size:11} {self.render:8} vs mpv {' '.join(self.vo)}"

    @property
    def size(self):
        return SCREEN if self.full else WINDOW


@dataclass
class Measurement:
    player_cpu: float
    x_cpu: float
    shown: int
    expected: int
    opengl: bool  # whether the process had loaded a Mesa driver, i.e. made a GL context
    others: float  # CPU seconds of everything else on the machine meanwhile

    @property
    def cpu(self):
        return self.player_cpu + self.x_cpu


class BenchError(Exception):
    pass


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        # The command name may hold spaces; the fields after it are fixed.
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def machine_cpu_seconds():
    with open("/proc/stat") as stat:
        user, nice, system, _idle, _iowait, irq, softirq, steal = \
            (int(v) for v in stat.readline().split()[1:9])
    return (user + nice + system + irq + softirq + steal) / TICKS


def loaded_opengl_driver(pid):
    with open(f"/proc/{pid}/maps") as maps:
        return any(re.search(r"/dri/\w+_dri\.so$", line.strip()) for line in maps)


def make_clip(folder, name):
    width, height, kbps = CLIPS[name]
    frames = CLIP_SECONDS * FPS
    pipeline = CLIP_PIPELINE.format(frames=frames, width=width, height=height, fps=FPS,
                                    gop=2 * FPS, kbps=kbps, samples=48000 // FPS,
                                    location="{location}")
    # A changed recipe makes a new clip instead of reusing one made otherwise.
    digest = hashlib.sha1(pipeline.encode()).hexdigest()[:10]
    clip = folder / f"{name}-{digest}.mp4"
    if clip.exists():
        return clip
    folder.mkdir(parents=True, exist_ok=True)
    partial = clip.with_suffix(".part")
    print(f"making the {name} clip ({CLIP_SECONDS} s) in {folder} ...", flush=True)
    command = "gst-launch-1.0 -q -e " + pipeline.format(location=f'"{partial}"')
    subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL)
    partial.rename(clip)
    return clip


def start_xvfb():
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
         f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp", "-noreset"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        raise BenchError("Xvfb did not start")
    return xvfb, f":{number}"


def start_server(clip):
    server = subprocess.Popen(["/usr/bin/python3", str(SERVER), "0", str(clip)],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    line = server.stdout.readline()
    if not line.startswith("READY "):
        raise BenchError(f"the RTSP server did not start for {clip}")
    return server, f"rtsp://127.0.0.1:{int(line.split()[1])}/test"


def window_size(display, *selector):
    out = subprocess.run(["xwininfo", *selector], env=dict(os.environ, DISPLAY=display),
                         capture_output=True, text=True).stdout
    width = re.search(r"Width:\s+(\d+)", out)
    height = re.search(r"Height:\s+(\d+)", out)
    return (int(width[1]), int(height[1])) if width and height else None


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Viewdial:
    label = "viewdial"

    def __init__(self, bench, case, url):
        env = dict(bench.env, VIEWDIAL_RENDER=case.render)
        args = [str(bench.driver)] + (["--full-screen"] if case.full else []) + [url]
        self.process = subprocess.Popen(args, env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=bench.log, text=True)

    def _ask(self):
        self.process.stdin.write("\n")
        self.process.stdin.flush()
        ready, _, _ = select.select([self.process.stdout], [], [], 5)
        line = self.process.stdout.readline() if ready else ""
        if not line:
            raise BenchError("the driver stopped answering")
        frames, width, height, window = (int(v) for v in line.split())
        return frames, (width, height), window

    def pictures(self):
        return self._ask()[0]

    def size(self, display):
        _, widget, window = self._ask()
        return widget, window_size(display, "-id", str(window))

    def close(self):
        self.process.stdin.close()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            stop(self.process)


class Mpv:
    label = "mpv"
    TITLE = "render-bench-mpv"

    def __init__(self, bench, case, url):
        self.socket_path = os.path.join(bench.runtime, "mpv-ipc")
        if os.path.exists(self.socket_path):
            os.unlink(self.socket_path)
        size = ["--fs"] if case.full else [f"--geometry={WINDOW[0]}x{WINDOW[1]}"]
        args = ["mpv", "--no-config", *case.vo, *size, f"--title={self.TITLE}",
                f"--input-ipc-server={self.socket_path}", url]
        self.process = subprocess.Popen(args, env=bench.env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=bench.log)
        self.ipc = None

    def _property(self, name):
        if self.ipc is None:
            if not os.path.exists(self.socket_path):
                return None
            self.ipc = socket.socket(socket.AF_UNIX)
            self.ipc.settimeout(5)
            self.ipc.connect(self.socket_path)
            self.replies = self.ipc.makefile("r")
        self.ipc.sendall((json.dumps({"command": ["get_property", name]}) + "\n").encode())
        for line in self.replies:
            reply = json.loads(line)
            if "event" not in reply:
                return reply.get("data") if reply.get("error") == "success" else None
        raise BenchError("mpv closed its IPC socket")

    def pictures(self):
        # Frames the playback position went over, less those dropped on the way.
        passed = self._property("estimated-frame-number")
        if passed is None:
            return 0
        dropped = [self._property(name) or 0
                   for name in ("frame-drop-count", "decoder-frame-drop-count")]
        return passed - sum(dropped)

    def size(self, display):
        return None, window_size(display, "-name", self.TITLE)

    def close(self):
        if self.ipc is not None:
            self.ipc.close()
        stop(self.process)


class Bench:
    def __init__(self, build, display, log):
        self.driver = build / "bench" / "render_driver"
        self.display = display
        self.log = log
        self.runtime = tempfile.mkdtemp(prefix="render-bench-")
        # Both players look for a runtime folder; without one they complain on every start.
        self.env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=self.runtime)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("VIEWDIAL_RENDER", None)

    def measure(self, player_type, case, url, xvfb):
        player = player_type(self, case, url)
        try:
            deadline = time.monotonic() + FIRST_PICTURE_TIMEOUT
            while player.pictures() <= 0:
                if player.process.poll() is not None or time.monotonic() > deadline:
                    raise BenchError(f"{player.label} showed no picture")
                time.sleep(0.1)
            settled = time.monotonic() + SETTLE_SECONDS
            time.sleep(0.5)
            widget, window = player.size(self.display)
            if window != case.size or widget not in (None, case.size):
                raise BenchError(f"{player.label} draws at {window} (widget {widget}), "
                                 f"not at {case.size}")
            opengl = loaded_opengl_driver(player.process.pid)
            time.sleep(max(0.0, settled - time.monotonic()))
            machine0 = machine_cpu_seconds()
            player_cpu0, x_cpu0 = cpu_seconds(player.process.pid), cpu_seconds(xvfb.pid)
            start = time.monotonic()
            shown0 = player.pictures()
            time.sleep(MEASURE_SECONDS)
            shown1 = player.pictures()
            elapsed = time.monotonic() - start
            player_cpu = cpu_seconds(player.process.pid) - player_cpu0
            x_cpu = cpu_seconds(xvfb.pid) - x_cpu0
            others = machine_cpu_seconds() - machine0 - player_cpu - x_cpu
        finally:
            player.close()
        # Figures are per MEASURE_SECONDS, whatever the few milliseconds of slack.
        scale = MEASURE_SECONDS / elapsed
        return Measurement(player_cpu * scale, x_cpu * scale, shown1 - shown0,
                           round(FPS * MEASURE_SECONDS), opengl, max(0.0, others * scale))


def median(values):
    return statistics.median(values)


def ratios(case):
    return [ours.cpu / theirs.cpu for ours, theirs in case.rounds]


def is_close(case):
    values = ratios(case)
    return any(abs(r - 1) <= CLOSE_TO_PARITY for r in values) or \
        (min(values) <= 1 <= max(values))


def load():
    return "load average {:.2f} {:.2f} {:.2f}".format(*os.getloadavg())


def run_round(bench, cases, servers, xvfb, number, first_turn):
    for index, case in enumerate(cases):
        order = [Viewdial, Mpv] if (first_turn + index) % 2 == 0 else [Mpv, Viewdial]
        results = {}
        for player_type in order:
            results[player_type] = bench.measure(player_type, case, servers[case.clip], xvfb)
            m = results[player_type]
            print(f"  round {number}  {case.name:52} {player_type.label:8} "
                  f"{m.player_cpu:5.2f} + X {m.x_cpu:5.2f} = {m.cpu:5.2f} s, "
                  f"{m.shown}/{m.expected} pictures; rest of the machine {m.others:.2f} s",
                  flush=True)
        case.rounds.append((results[Viewdial], results[Mpv]))


def summary(case):
    ours = median([v.cpu for v, _ in case.rounds])
    theirs = median([m.cpu for _, m in case.rounds])
    ours_shown = median([v.shown for v, _ in case.rounds])
    theirs_shown = median([m.shown for _, m in case.rounds])
    expected = case.rounds[0][0].expected
    each = " ".join(f"{r:.2f}" for r in ratios(case))
    line = (f"{case.name:52} viewdial {ours:5.2f} s  mpv {theirs:5.2f} s  "
            f"ratio {median(ratios(case)):.2f} ({each})  pictures "
            f"{ours_shown:.0f}/{expected} vs {theirs_shown:.0f}/{expected}")
    # A player that cannot have the OpenGL path it was told to take plays in software;
    # the figures are then not those of the OpenGL path.
    if case.render == "opengl" and not all(v.opengl for v, _ in case.rounds):
        line += "  [viewdial made no OpenGL context: it drew in software]"
    return line


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default="build", help="the build folder")
    parser.add_argument("--rounds", type=int, default=2, help="rounds of every case (>= 2)")
    parser.add_argument("--cases", default="", help="only cases whose name matches this regex")
    options = parser.parse_args()
    build = Path(options.build).resolve()
    if not (build / "bench" / "render_driver").exists():
        sys.exit(f"{build}/bench/render_driver is missing: build the benchmarks first")
    for tool in ("Xvfb", "xwininfo", "mpv", "gst-launch-1.0"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: run scripts/setup.sh")

    cases = [Case(clip, full, render, vo)
             for clip in CLIPS for full in (False, True)
             for render, vo in (("software", ["--vo=x11"]), ("opengl", ["--vo=gpu", "--gpu-sw"]))]
    cases = [c for c in cases if re.search(options.cases, c.name)]
    if not cases:
        sys.exit(f"no case matches {options.cases!r}")
    clips = {name: make_clip(build / "bench" / "render-clips", name)
             for name in {c.clip for c in cases}}

    log_path = build / "bench" / "render-bench.log"
    began = time.monotonic()
    print(f"render benchmark, {len(cases)} cases, at the start: {load()}", flush=True)
    xvfb, display = start_xvfb()
    servers = {}
    with open(log_path, "w") as log:
        bench = Bench(build, display, log)
        try:
            for name, clip in clips.items():
                servers[name] = start_server(clip)
            urls = {name: url for name, (_, url) in servers.items()}
            for number in range(1, max(2, options.rounds) + 1):
                run_round(bench, cases, urls, xvfb, number, number)
                print(f"  after round {number}: {load()}", flush=True)
            close = [c for c in cases if is_close(c)]
            if close and options.rounds < 3:
                run_round(bench, close, urls, xvfb, 3, 3)
                print(f"  after round 3: {load()}", flush=True)
        except BenchError as error:
            sys.exit(f"render benchmark: {error} (see {log_path})")
        finally:
            for server, _ in servers.values():
                server.stdin.close()
                server.wait(5)
            stop(xvfb)
            shutil.rmtree(bench.runtime, ignore_errors=True)

    minutes = (time.monotonic() - began) / 60
    print(f"\nCPU seconds of the player plus the X server per {MEASURE_SECONDS} s and "
          f"pictures shown/expected, medians of the rounds; ratio viewdial / mpv, the median "
          f"of the rounds' ratios (each round's in brackets) ({minutes:.1f} min, "
          f"at the end: {load()}):")
    for case in cases:
        print(summary(case))
    others = [m.others for case in cases for pair in case.rounds for m in pair]
    print(f"the rest of the machine (the RTSP server and whatever else ran) used "
          f"{median(others):.2f} s of CPU per {MEASURE_SECONDS} s during a measurement, "
          f"at most {max(others):.2f} s")


if __name__ == "__main__":
    main()
