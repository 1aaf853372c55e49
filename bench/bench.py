"""The measurements behind bench/run_bench.sh; writes its section of docs/benchmarks.md."""
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from pty_session import FIRST_MENU, FIRST_PROMPT, PROMPTS, TYPICAL_MENU_KEYS, PtySession  # noqa

TYPICAL_INPUT = b"1\n2\n3\n2\n2\n" + b"B\nC\n2\n20\nE\n"
START, END = "<!-- run_bench.sh: start -->", "<!-- run_bench.sh: end -->"


def series(timer, argv, stdin_bytes, runs):
    """Wall seconds, peak resident kilobytes and processor seconds of each run."""
    with tempfile.NamedTemporaryFile(prefix="sumquill_bench_input_") as input_file:
        input_file.write(stdin_bytes)
        input_file.flush()
        out = subprocess.run([timer, str(runs), input_file.name, *argv], check=True,
                             capture_output=True, text=True).stdout
    rows = [line.split() for line in out.splitlines()]
    return ([float(r[0]) for r in rows], [int(r[1]) for r in rows], [float(r[2]) for r in rows])


def whole_run(timer, binary, runs, block=10):
    """The typical run and /bin/true in alternating blocks, so that both meet the same load
    from whatever else runs on the machine."""
    series(timer, [binary], TYPICAL_INPUT, 5)  # warm caches for both first
    series(timer, ["/bin/true"], b"", 5)
    run_t, run_rss, run_cpu, true_t, true_rss, true_cpu = [], [], [], [], [], []
    for _ in range(max(1, runs // block)):
        t, r, c = series(timer, [binary], TYPICAL_INPUT, block)
        run_t += t
        run_rss += r
        run_cpu += c
        t, r, c = series(timer, ["/bin/true"], b"", block)
        true_t += t
        true_rss += r
        true_cpu += c
    median = statistics.median
    return {
        "runs": len(run_t),
        "run_median_ms": median(run_t) * 1e3,
        "run_p90_ms": sorted(run_t)[int(0.9 * (len(run_t) - 1))] * 1e3,
        "true_median_ms": median(true_t) * 1e3,
        "ratio": median(run_t) / median(true_t),
        "run_cpu_ms": median(run_cpu) * 1e3,
        "true_cpu_ms": median(true_cpu) * 1e3,
        "cpu_ratio": median(run_cpu) / median(true_cpu) if median(true_cpu) else float("inf"),
        "run_rss_kb": max(run_rss),
        "true_rss_kb": max(true_rss),
    }


def menu_wait(binary, seconds=2.0):
    folder = tempfile.mkdtemp(prefix="sumquill_bench_")
    try:
        with PtySession(binary, folder) as session:
            session.expect(FIRST_MENU)
            time.sleep(0.1)
            before = session.cpu_seconds()
            time.sleep(seconds)
            used = session.cpu_seconds() - before
            session.type(b"2")
            session.wait(timeout=5)
        return used
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def paste(binary, length=100000):
    folder = tempfile.mkdtemp(prefix="sumquill_bench_")
    line = b"".join(b"%07d|" % i for i in range(0, length, 8))[:length]
    try:
        with PtySession(binary, folder) as session:
            session.expect(FIRST_MENU)
            session.type(TYPICAL_MENU_KEYS)
            session.expect(FIRST_PROMPT)
            cpu_before = session.cpu_seconds()
            started = time.perf_counter()
            session.type(line + b"\r")
            session.expect(PROMPTS[1], timeout=600)
            seconds = time.perf_counter() - started
            cpu = session.cpu_seconds() - cpu_before
            session.type(b"C\r2\r20\rE\r")
            session.wait(timeout=10)
        return seconds, cpu
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def many_check_files(binary, count=10000, runs=5):
    """A whole piped run in a folder that holds `count` check_*.txt files, which its tool
    checks delete: wall seconds (median of `runs`, the folder filled anew before each)."""
    times = []
    for _ in range(runs):
        folder = tempfile.mkdtemp(prefix="sumquill_bench_")
        try:
            for i in range(count):
                os.close(os.open(os.path.join(folder, f"check_{i:05}.txt"),
                                 os.O_CREAT | os.O_WRONLY, 0o644))
            started = time.perf_counter()
            completed = subprocess.run([binary], input=TYPICAL_INPUT, cwd=folder,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            times.append(time.perf_counter() - started)
            left = sum(1 for name in os.listdir(folder) if name.startswith("check_0")
                       and name not in ("check_01.txt", "check_02.txt"))
            if completed.returncode != 0 or left:
                raise RuntimeError(f"run in {count} check files: status "
                                   f"{completed.returncode}, {left} left")
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    return statistics.median(times)


def write_calls(binary):
    """The write system calls of a typical piped run, counted by strace; None without strace."""
    strace = shutil.which("strace")
    if not strace:
        return None
    folder = tempfile.mkdtemp(prefix="sumquill_bench_")
    try:
        log = os.path.join(folder, "strace.log")
        run_folder = os.path.join(folder, "run")
        os.mkdir(run_folder)
        subprocess.run([strace, "-f", "-c", "-o", log, "-e", "trace=write,writev,pwrite64",
                        binary], input=TYPICAL_INPUT, cwd=run_folder,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        with open(log) as f:
            for line in f:
                fields = line.split()
                if fields and fields[-1] == "total":
                    return int(fields[-2])
        return 0
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def machine():
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo") as f:
            for row in f:
                if row.startswith("model name"):
                    model = row.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    memory = ""
    try:
        with open("/proc/meminfo") as f:
            kb = int(re.search(r"MemTotal:\s+(\d+)", f.read()).group(1))
            memory = f"{kb / 1048576:.1f} GiB"
    except (OSError, AttributeError):
        pass
    compiler = subprocess.run(["c++", "--version"], capture_output=True, text=True).stdout
    load = os.getloadavg()
    return [
        f"- Processor: {model}, {os.cpu_count()} logical processors available",
        f"- Memory: {memory}",
        f"- System: {platform.system()} {platform.release()} ({platform.machine()})",
        f"- Compiler: {compiler.splitlines()[0] if compiler else 'unknown'}; Release build",
        f"- Load average when measured: {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}",
        f"- Measured: {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}",
    ]


def section(whole, menu_cpu, paste_figures, crowded_seconds, writes):
    paste_seconds, paste_cpu = paste_figures
    lines = [
        START,
        "## Figures of bench/run_bench.sh",
        "",
        "Written by `bench/run_bench.sh` on the machine it ran on; run it again to refresh this "
        "section. Wall times are from fork to reaping the process (by the small launcher "
        "bench/spawn_timer.c), each run in a fresh folder, standard output to /dev/null.",
        "",
        "### Machine",
        "",
        *machine(),
        "",
        "### Figures",
        "",
        "| Measurement | Figure |",
        "|---|---|",
        f"| (a) whole piped run of the typical dialogue, median of {whole['runs']} | "
        f"{whole['run_median_ms']:.2f} ms (90th percentile {whole['run_p90_ms']:.2f} ms) |",
        f"| (a) `/bin/true` started the same way, median of {whole['runs']} | "
        f"{whole['true_median_ms']:.2f} ms |",
        f"| (a) ratio whole run / `/bin/true`, wall time | {whole['ratio']:.2f} |",
        f"| (a) processor time, whole run / `/bin/true` (medians) | "
        f"{whole['run_cpu_ms']:.2f} ms / {whole['true_cpu_ms']:.2f} ms = "
        f"{whole['cpu_ratio']:.2f} |",
        f"| (b) processor time while a menu waits 2 s on a pseudo-terminal | "
        f"{menu_cpu * 1e3:.1f} ms (polling without a pause would use about 2,000 ms) |",
        f"| (c) peak resident memory of a whole run | {whole['run_rss_kb']} KiB "
        f"(`/bin/true`: {whole['true_rss_kb']} KiB) |",
        f"| (d) 100,000-character line pasted into a prompt, until the next prompt | "
        f"{paste_seconds * 1e3:.0f} ms wall, {paste_cpu * 1e3:.0f} ms processor |",
        f"| (e) whole piped run in a folder of 10,000 `check_*.txt` files (all deleted), median "
        f"of 5 | {crowded_seconds * 1e3:.0f} ms (`/bin/true`: {whole['true_median_ms']:.2f} ms) |",
        "| (f) write system calls of a typical piped run (console, reports, scratch files; "
        f"`strace -c`) | {writes if writes is not None else 'not measured: no strace'} |",
        "",
        "Processor times of (b) and (d) come from /proc: the scheduler's count in nanoseconds "
        "where the kernel keeps it, otherwise user and system time in clock ticks "
        f"({1000 // os.sysconf('SC_CLK_TCK')} ms); those of (a) from the kernel's accounting of "
        "the reaped process.",
        END,
    ]
    return "\n".join(lines) + "\n"


def write_section(path, text):
    old = ""
    if os.path.exists(path):
        with open(path) as f:
            old = f.read()
    if START in old and END in old:
        head, rest = old.split(START, 1)
        tail = rest.split(END, 1)[1].lstrip("\n")
        new = head + text + ("\n" + tail if tail else "")
    elif old:
        new = old.rstrip("\n") + "\n\n" + text
    else:
        new = "# Benchmarks\n\n" + text
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(new)


def main():
    timer, binary = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    document, runs = sys.argv[3], int(sys.argv[4])
    whole = whole_run(timer, binary, runs)
    print(f"(a) run {whole['run_median_ms']:.2f} ms, /bin/true {whole['true_median_ms']:.2f} ms, "
          f"ratio {whole['ratio']:.2f}; processor {whole['run_cpu_ms']:.2f} ms / "
          f"{whole['true_cpu_ms']:.2f} ms; (c) peak {whole['run_rss_kb']} KiB")
    menu_cpu = menu_wait(binary)
    print(f"(b) {menu_cpu * 1e3:.1f} ms of processor in 2 s at a menu")
    paste_figures = paste(binary)
    print(f"(d) paste {paste_figures[0] * 1e3:.0f} ms wall, {paste_figures[1] * 1e3:.0f} ms cpu")
    crowded = many_check_files(binary)
    print(f"(e) run among 10,000 check files {crowded * 1e3:.0f} ms")
    writes = write_calls(binary)
    print(f"(f) {writes} write calls in a typical piped run")
    write_section(document, section(whole, menu_cpu, paste_figures, crowded, writes))
    print(f"written to {document}")


if __name__ == "__main__":
    main()
