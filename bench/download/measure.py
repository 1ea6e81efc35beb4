#!/usr/bin/env python3
"""Download benchmark: DownloadFile against a bare WinINet loop and curl, in one run.

Runs inside scripts/test-env (Wine prefix, Xvfb, fixture server); bench/download/run.sh starts
it. Usage:
    measure.py loopback|limited DOWNLOAD_BENCH_EXE WORK_DIR

loopback: a 100 MiB body in rounds whose order rotates: (a) download_bench ours, (b)
download_bench bare, (c) curl, DownloadFile without bar and events (its file handling
alone), and (d) download_bench pinned (as (a), with a sha256= pin checked). Prints medians, the ratios (a)/(b) and (a)/(c), and the peak working set of (a) for a
10 MiB and a 100 MiB body.
limited: (a) and (b) once each through a link that run.sh has limited to LINK_MBIT.
"""

import hashlib
import os
import re
import statistics
import subprocess
import sys
from pathlib import Path

MIB = 1024 * 1024
LARGE = 100 * MIB
SMALL = 10 * MIB
ROUNDS = int(os.environ.get("QUILLMERE_BENCH_ROUNDS", "5"))
LINK_MBIT = 40          # the limited link's rate
LINK_BODY = 10 * MIB    # about two seconds at that rate

ROOT = Path(__file__).resolve().parents[2]


def wine_path(path):
    return "Z:" + str(path).replace("/", "\\")


def run_bench(exe, mode, url, output, timeout=900, pin=None):
    """One download_bench run: (seconds, peak working set in bytes)."""
    result = subprocess.run(["wine", str(exe), mode, url, wine_path(output)] + ([pin] if pin else []),
                            capture_output=True, text=True, timeout=timeout)
    match = re.search(r"seconds=([\d.]+) bytes=(\d+) peak_working_set=(\d+)", result.stdout)
    if result.returncode != 0 or not match:
        sys.exit(f"download_bench {mode} failed: {result.stdout}{result.stderr}")
    return float(match[1]), int(match[3])


def run_curl(url, output):
    result = subprocess.run(["curl", "-s", "-f", "-o", str(output), "-w", "%{time_total}", url],
                            capture_output=True, text=True, timeout=900)
    if result.returncode != 0:
        sys.exit(f"curl failed ({result.returncode}) on {url}")
    return float(result.stdout)


def check_size(path, size, who):
    if path.stat().st_size != size:
        sys.exit(f"{who} saved {path.stat().st_size} bytes, expected {size}")


def loopback(exe, work):
    url = os.environ["QUILLMERE_FIXTURE_URL"] + f"/fault/body/{LARGE}"
    output = work / "body.bin"
    runs = {"ours": [], "bare": [], "quiet": [], "curl": [], "pinned": []}
    peaks = []
    run_bench(exe, "bare", os.environ["QUILLMERE_FIXTURE_URL"] + "/fault/body/1000", output)  # warm-up
    run_curl(url, output)
    with open(output, "rb") as body:
        pin = hashlib.sha256(body.read()).hexdigest()
    order = ["ours", "bare", "curl", "quiet", "pinned"]
    for round_number in range(ROUNDS):
        shift = round_number % len(order)
        for kind in order[shift:] + order[:shift]:
            if kind == "curl":
                runs[kind].append(run_curl(url, output))
            else:
                seconds, peak = run_bench(exe, kind, url, output,
                                          pin=pin if kind == "pinned" else None)
                runs[kind].append(seconds)
                if kind == "ours":
                    peaks.append(peak)
            check_size(output, LARGE, kind)
    output.unlink()
    median = {kind: statistics.median(times) for kind, times in runs.items()}

    small_peaks = []
    for _ in range(ROUNDS):
        small_peaks.append(run_bench(exe, "ours", os.environ["QUILLMERE_FIXTURE_URL"] +
                                     f"/fault/body/{SMALL}", output)[1])
    output.unlink()

    def line(label, kind):
        rate = LARGE / median[kind] / MIB
        print(f"  {label:<48} {median[kind]:7.3f} s  {rate:7.1f} MiB/s")

    print(f"== download: a 100 MiB body from the fixture server on loopback, under Wine "
          f"(median of {ROUNDS})")
    line("(a) DownloadFile, progress bar and events", "ours")
    line("(b) bare InternetReadFile loop, 2048 bytes", "bare")
    line("(c) curl", "curl")
    line("    DownloadFile without bar and events", "quiet")
    line("(d) DownloadFile as (a), pinned with sha256=", "pinned")
    print(f"  (a)/(b): {median['ours'] / median['bare']:.2f} (target <= 1.10)")
    print(f"  (a)/(c): {median['ours'] / median['curl']:.1f} (information)")
    print(f"  (d)/(a): {median['pinned'] / median['ours']:.3f} (target <= 1.05: the hash rides "
          f"on the chunks in memory)")
    print(f"  DownloadFile without bar and events / (b): "
          f"{median['quiet'] / median['bare']:.2f} (its file handling alone)")
    small, large = statistics.median(small_peaks), statistics.median(peaks)
    print(f"  peak working set of (a): 10 MiB body {small / MIB:.1f} MiB, 100 MiB body "
          f"{large / MIB:.1f} MiB, ratio {large / small:.2f} (target: flat, 1.00)")


def limited_link(exe, work):
    """(a) and (b) through the loopback of a network namespace limited by tc (see run.sh)."""
    url = os.environ["QUILLMERE_FIXTURE_URL"] + f"/fault/body/{LINK_BODY}"
    output = work / "limited.bin"
    # At the link's rate the body takes about two seconds: a minute means something is wrong.
    seconds = {mode: run_bench(exe, mode, url, output, 60)[0] for mode in ("ours", "bare")}
    check_size(output, LINK_BODY, "bare")
    output.unlink()
    link = LINK_MBIT * 1e6 / 8
    print(f"== download: {LINK_BODY // MIB} MiB through a loopback limited to {LINK_MBIT} Mbit/s")
    for mode, label in (("ours", "(a) DownloadFile"), ("bare", "(b) bare loop")):
        print(f"  {label:<20} {seconds[mode]:6.2f} s, "
              f"{LINK_BODY / seconds[mode] / link:5.2f} of the link's rate")
    print(f"  (a)/(b): {seconds['ours'] / seconds['bare']:.2f} (limited by the link: about 1)")


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("loopback", "limited"):
        sys.exit("usage: measure.py loopback|limited DOWNLOAD_BENCH_EXE WORK_DIR")
    exe, work = Path(sys.argv[2]), Path(sys.argv[3])
    work.mkdir(parents=True, exist_ok=True)
    (loopback if sys.argv[1] == "loopback" else limited_link)(exe, work)


if __name__ == "__main__":
    main()
