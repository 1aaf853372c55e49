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


def timed_run(argv, stdin_bytes, folder):
    """Wall seconds and peak resident kilobytes of one run, from fork to reaping."""
    read_end, write_end = os.pipe()
    os.write(write_end, stdin_bytes)  # the typical input fits a pipe's buffer
    os.close(write_end)
    devnull = os.open(os.devnull, os.O_WRONLY)
    started = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        try:
            os.chdir(folder)
            os.dup2(read_end, 0)
            os.dup2(devnull, 1)
            os.dup2(devnull, 2)
            os.execv(argv[0], argv)
        finally:
            os._exit(127)
    _, status, rusage = os.wait4(pid, 0)
    seconds = time.perf_counter() - started
    os.close(read_end)
    os.close(devnull)
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"{argv[0]} ended with {os.waitstatus_to_exitcode(status)}")
    return seconds, rusage.ru_maxrss, rusage.ru_utime + rusage.ru_stime


def series(argv, stdin_bytes, runs):
    times, rss, cpu = [], [], []
    for _ in range(runs):
        folder = tempfile.mkdtemp(prefix="sumquill_bench_")
        try:
            t, r, c = timed_run(argv, stdin_bytes, folder)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
        times.append(t)
        rss.append(r)
        cpu.append(c)
    return times, rss, cpu


def whole_run(binary, runs):
    # Interleaved warm-up of both, so neither pays for a cold cache alone.
    series([binary], TYPICAL_INPUT, 5)
    series(["/bin/true"], b"", 5)
    run_t, run_rss, run_cpu = series([binary], TYPICAL_INPUT, runs)
    true_t, true_rss, _ = series(["/bin/true"], b"", runs)
    return {
        "run_median_ms": statistics.median(run_t) * 1e3,
        "run_p90_ms": sorted(run_t)[int(0.9 * (runs - 1))] * 1e3,
        "true_median_ms": statistics.median(true_t) * 1e3,
        "ratio": statistics.median(run_t) / statistics.median(true_t),
        "run_cpu_ms": statistics.median(run_cpu) * 1e3,
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


def section(runs, whole, menu_cpu, paste_figures):
    paste_seconds, paste_cpu = paste_figures
    lines = [
        START,
        "## Figures of bench/run_bench.sh",
        "",
        "Written by `bench/run_bench.sh` on the machine it ran on; run it again to refresh this "
        "section. Wall times are from fork to reaping the process, each run in a fresh folder, "
        "standard output to /dev/null.",
        "",
        "### Machine",
        "",
        *machine(),
        "",
        "### Figures",
        "",
        "| Measurement | Figure |",
        "|---|---|",
        f"| (a) whole piped run of the typical dialogue, median of {runs} | "
        f"{whole['run_median_ms']:.2f} ms (90th percentile {whole['run_p90_ms']:.2f} ms) |",
        f"| (a) `/bin/true` started the same way, median of {runs} | "
        f"{whole['true_median_ms']:.2f} ms |",
        f"| (a) ratio whole run / `/bin/true` | {whole['ratio']:.2f} |",
        f"| (a) processor time of a whole run, median | {whole['run_cpu_ms']:.2f} ms |",
        f"| (b) processor time while a menu waits 2 s on a pseudo-terminal | "
        f"{menu_cpu * 1e3:.0f} ms |",
        f"| (c) peak resident memory of a whole run | {whole['run_rss_kb']} KiB "
        f"(`/bin/true`: {whole['true_rss_kb']} KiB) |",
        f"| (d) 100,000-character line pasted into a prompt, until the next prompt | "
        f"{paste_seconds * 1e3:.0f} ms wall, {paste_cpu * 1e3:.0f} ms processor |",
        "",
        "Processor times come from /proc at a resolution of one clock tick "
        f"({1000 // os.sysconf('SC_CLK_TCK')} ms) for (b) and (d), and from the kernel's "
        "accounting of the reaped process for (a).",
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
    binary, document, runs = os.path.abspath(sys.argv[1]), sys.argv[2], int(sys.argv[3])
    whole = whole_run(binary, runs)
    print(f"(a) run {whole['run_median_ms']:.2f} ms, /bin/true {whole['true_median_ms']:.2f} ms, "
          f"ratio {whole['ratio']:.2f}; (c) peak {whole['run_rss_kb']} KiB")
    menu_cpu = menu_wait(binary)
    print(f"(b) {menu_cpu * 1e3:.0f} ms of processor in 2 s at a menu")
    paste_figures = paste(binary)
    print(f"(d) paste {paste_figures[0] * 1e3:.0f} ms wall, {paste_figures[1] * 1e3:.0f} ms cpu")
    write_section(document, section(runs, whole, menu_cpu, paste_figures))
    print(f"written to {document}")


if __name__ == "__main__":
    main()
