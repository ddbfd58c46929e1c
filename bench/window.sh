#!/usr/bin/env bash
# Times the window path, `ldpn URL /F`, against what a login script would otherwise start,
# `chromium --app=URL`: from exec to the page's colour on screen, and the summed PSS of the
# program's whole process tree one second later. The two run interleaved, each cold (a fresh
# profile, cache and home folder per run), and the script prints the medians and the ratios.
# Targets: time at most 0.7, memory at most 0.5 of Chromium's.
#
# Settings (environment): BUILD_DIR (default build), RUNS (5), CHROMIUM (chromium),
# LDPN_FLAGS / CHROMIUM_FLAGS (extra switches for one side only), LDPN_ENV (extra
# "VAR=value ..." for ldpn only), WARMUP (1 untimed run of each first), TIMEOUT (30 s),
# DETAIL=1 (each process's PSS in MiB on the lines of the runs), SCREENSHOTS (a folder for a
# screenshot of each run, taken after the memory), NICE (for root, e.g. -15: the display and
# both programs run at that priority, so other work on a busy machine disturbs the times less).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
if [ ! -x "$build/bin/ldpn" ] || [ ! -d "$build/nwsim/full" ]; then
  echo "window.sh: no ldpn in $build; build first (scripts/setup.sh $build)" >&2
  exit 2
fi

chromium="${CHROMIUM:-chromium}"
if ! command -v "$chromium" >/dev/null; then
  if [ -n "${CHROMIUM:-}" ]; then
    echo "window.sh: $chromium not found" >&2
    exit 2
  fi
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  echo "Installing: chromium"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends chromium >/dev/null
fi
if [ -z "${DISPLAY:-}" ] && ! command -v Xvfb >/dev/null; then
  echo "window.sh: no \$DISPLAY and no Xvfb (apt-get install xvfb)" >&2
  exit 2
fi

# Chromium's background connections fail on a closed network; both get the same switches.
common_flags="--disable-gpu --no-first-run --disable-background-networking --disable-component-update --disable-sync"
sandbox_env=()
if [ "$(id -u)" -eq 0 ]; then
  # Chromium's sandbox cannot run as root.
  common_flags="$common_flags --no-sandbox"
  sandbox_env=(QTWEBENGINE_DISABLE_SANDBOX=1)
fi

exec python3 - "$build" "$here" "$chromium" "$common_flags" "${sandbox_env[@]}" <<'PY'
import array, ctypes, os, shlex, shutil, signal, statistics, subprocess, sys, tempfile, time

build, here, chromium, common_flags = sys.argv[1:5]
sandbox_env = dict(kv.split("=", 1) for kv in sys.argv[5:])
runs = int(os.environ.get("RUNS", "5"))
warmup = int(os.environ.get("WARMUP", "1"))
timeout = float(os.environ.get("TIMEOUT", "30"))
detail = os.environ.get("DETAIL", "") not in ("", "0")
shots = os.path.abspath(os.environ["SCREENSHOTS"]) if os.environ.get("SCREENSHOTS") else ""
if shots:
    os.makedirs(shots, exist_ok=True)
nice = int(os.environ.get("NICE", "0"))
ldpn_flags = os.environ.get("LDPN_FLAGS", "")
chromium_flags = os.environ.get("CHROMIUM_FLAGS", "")
ldpn_env = dict(kv.split("=", 1) for kv in shlex.split(os.environ.get("LDPN_ENV", "")))
page = f"file://{here}/bench/window/solid.html"
colour = (0x2E, 0x8B, 0x57)  # the page's background
# ldpn's client area, centred as ldpn centres itself, so one screen point lies in both pages.
width, height = 600, 335
if runs < 1:
    sys.exit("window.sh: RUNS must be at least 1")
if nice:
    try:
        os.setpriority(os.PRIO_PROCESS, 0, nice)  # the detector too
    except PermissionError:
        sys.exit(f"window.sh: NICE={nice} needs root")

work = tempfile.mkdtemp(prefix="daypane-window.")
xvfb = None
running = None  # the program of the current run, ended on every way out
# Helpers that leave their parent (Chromium's crash handler starts in a session of its own)
# are handed to this script instead of init, so they are still found, measured and ended.
PR_SET_CHILD_SUBREAPER = 36
ctypes.CDLL(None).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)


def processes():
    """{pid: (state, ppid)} of every process."""
    table = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        table[int(name)] = (fields[0], int(fields[1]))
    return table


def program_tree():
    """Live pids below this script but for the display server: the one program running, with
    every helper it started. Adopted helpers that have ended are reaped on the way."""
    table = processes()
    children = {}
    for pid, (_, ppid) in table.items():
        children.setdefault(ppid, []).append(pid)
    keep = {xvfb.pid if xvfb else None, running.pid if running else None}
    tree, todo = [], [p for p in children.get(os.getpid(), []) if p != (xvfb and xvfb.pid)]
    while todo:
        pid = todo.pop()
        todo += children.get(pid, [])
        if table[pid][0] != "Z":
            tree.append(pid)
        elif table[pid][1] == os.getpid() and pid not in keep:
            try:
                os.waitpid(pid, os.WNOHANG)
            except ChildProcessError:
                pass
    if running is not None:
        running.poll()
    return tree


def end_program():
    """Ends the running program and all its helpers, and waits until none is left."""
    global running
    if running is None:
        return
    for sig, grace in ((signal.SIGTERM, 5.0), (signal.SIGKILL, 10.0)):
        for pid in program_tree():
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        limit = time.monotonic() + grace
        while program_tree() and time.monotonic() < limit:
            time.sleep(0.02)
        if not program_tree():
            running.wait()
            running = None
            return
    sys.exit(f"window.sh: processes do not end: {program_tree()}")


def cleanup():
    if running is not None:
        try:
            end_program()
        except SystemExit as e:
            print(e, file=sys.stderr)
    if xvfb is not None and xvfb.poll() is None:
        xvfb.terminate()
        try:
            xvfb.wait(10)
        except subprocess.TimeoutExpired:
            xvfb.kill()
            xvfb.wait()
    try:  # helpers handed to this script that ended last
        while os.waitpid(-1, os.WNOHANG)[0]:
            pass
    except ChildProcessError:
        pass
    shutil.rmtree(work, ignore_errors=True)


def prioritise():
    """Runs in a new session before exec: with autogroups, the session's own group is what
    competes for the processor with the other sessions, so the priority is set there too."""
    if nice:
        try:
            with open("/proc/self/autogroup", "w") as f:
                f.write(str(nice))
        except OSError:
            pass  # no autogroups: the process's own priority below is what counts
        os.setpriority(os.PRIO_PROCESS, 0, nice)


def on_signal(signum, _frame):
    sys.exit(128 + signum)  # through the finally clauses, which end what runs


signal.signal(signal.SIGINT, on_signal)
signal.signal(signal.SIGTERM, on_signal)


def start_xvfb():
    """A virtual display of our own; the server names its number through -displayfd."""
    global xvfb
    r, w = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp", "-noreset"],
                            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True, preexec_fn=prioritise if nice else None)
    os.close(w)
    number = b""
    with os.fdopen(r, "rb") as f:
        while not number.endswith(b"\n"):
            chunk = f.read(1)
            if not chunk:
                sys.exit("window.sh: Xvfb ended before naming its display")
            number += chunk
    return ":" + number.decode().strip()


class Screen:
    """Reads one pixel of the root window, the same way for both programs."""

    def __init__(self, display):
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultScreen.argtypes = [ctypes.c_void_p]
        x.XRootWindow.restype = ctypes.c_ulong
        x.XRootWindow.argtypes = [ctypes.c_void_p, ctypes.c_int]
        for name in ("XDisplayWidth", "XDisplayHeight"):
            getattr(x, name).argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XGetImage.restype = ctypes.c_void_p
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XGetPixel.restype = ctypes.c_ulong
        x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        x.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.x = x
        self.dpy = x.XOpenDisplay(display.encode())
        if not self.dpy:
            sys.exit(f"window.sh: cannot open display {display}")
        screen = x.XDefaultScreen(self.dpy)
        x.XDefaultDepth.argtypes = [ctypes.c_void_p, ctypes.c_int]
        if x.XDefaultDepth(self.dpy, screen) != 24:
            sys.exit(f"window.sh: display {display} is not 24 bits deep")
        self.root = x.XRootWindow(self.dpy, screen)
        self.width = x.XDisplayWidth(self.dpy, screen)
        self.height = x.XDisplayHeight(self.dpy, screen)
        self.cx, self.cy = self.width // 2, self.height // 2

    def centre(self):
        """The centre pixel as (red, green, blue), for a 24-bit TrueColor screen."""
        image = self.x.XGetImage(self.dpy, self.root, self.cx, self.cy, 1, 1,
                                 0xFFFFFFFF, 2)  # AllPlanes, ZPixmap
        if not image:
            return None
        pixel = self.x.XGetPixel(image, 0, 0)
        self.x.XDestroyImage(image)
        return ((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF)

    def shows_page(self):
        p = self.centre()
        return p is not None and all(abs(a - b) <= 2 for a, b in zip(p, colour))


def tree_pss():
    """Summed PSS in MiB of the program's processes, and (kind, MiB) of each of them."""
    pss, kinds, parents = {}, {}, {}
    for pid in sorted(program_tree()):
        try:
            with open(f"/proc/{pid}/smaps_rollup") as f:
                kib = sum(int(l.split()[1]) for l in f if l.startswith("Pss:"))
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                # Chromium's helpers rewrite their command line into one string.
                words = f.read().replace(b"\0", b" ").decode(errors="replace").split()
            with open(f"/proc/{pid}/stat") as f:
                stat = f.read()
        except OSError:
            continue  # ended meanwhile: it holds no memory any more
        pss[pid] = kib / 1024
        parents[pid] = int(stat[stat.rindex(")") + 2:].split()[1])
        kinds[pid] = next((w[7:] for w in words if w.startswith("--type=")),
                          os.path.basename(words[0]) if words else "?")
    # The web engine's renderers keep the command line of the zygote that forked them.
    named = [("forked by zygote" if k == "zygote" and kinds.get(parents[p]) == "zygote" else k,
              pss[p]) for p, k in kinds.items()]
    return sum(pss.values()), named


def distinct_pages(tree):
    """MiB of the resident pages of the tree, each counted once however many of its processes
    map it: its PSS as if no other program shared its files. Needs root for the frame numbers
    in /proc/<pid>/pagemap; None otherwise."""
    if os.geteuid() != 0:
        return None
    frames, pfn = set(), (1 << 55) - 1
    for pid in tree:
        try:
            ranges = []
            with open(f"/proc/{pid}/smaps") as f:
                lo = hi = 0
                for line in f:
                    key = line.split(None, 1)[0]
                    if not key.endswith(":"):  # a mapping's first line: its address range
                        lo, hi = (int(a, 16) for a in key.split("-"))
                    elif key == "Rss:" and line.split()[1] != "0":
                        ranges.append((lo, hi))
            with open(f"/proc/{pid}/pagemap", "rb") as pm:
                for lo, hi in ranges:
                    pm.seek(lo // 4096 * 8)
                    entries = array.array("Q")
                    entries.frombytes(pm.read((hi - lo) // 4096 * 8))
                    frames.update(e & pfn for e in entries if e >> 63)  # present pages
        except OSError:
            continue  # ended meanwhile
    return len(frames) * 4096 / (1 << 20)


def file_sizes(pid):
    """Mapped bytes per file of one process."""
    sizes = {}
    with open(f"/proc/{pid}/maps") as f:
        for line in f:
            parts = line.split(maxsplit=5)
            # Files only: shared memory of the same name elsewhere is not the same pages.
            if len(parts) == 6 and parts[5].startswith("/") and not parts[5].startswith(
                    ("/memfd:", "/dev/", "/SYSV")) and not parts[5].endswith("(deleted)\n"):
                lo, hi = (int(a, 16) for a in parts[0].split("-"))
                path = parts[5].rstrip("\n")
                sizes[path] = sizes.get(path, 0) + hi - lo
    return sizes


def outside_sharers(tree):
    """Processes outside the tree that map one of its large files (the web engine's library,
    Chromium's binary): each takes a share of those pages, so the tree's PSS reads low."""
    big = set()
    for pid in tree:
        try:
            big |= {p for p, size in file_sizes(pid).items() if size >= 32 << 20}
        except OSError:
            pass
    ours = set(tree) | {os.getpid(), xvfb.pid if xvfb else None}
    sharers = []
    for name in os.listdir("/proc"):
        if name.isdigit() and int(name) not in ours:
            try:
                if big & file_sizes(int(name)).keys():
                    sharers.append(int(name))
            except OSError:
                pass
    return sharers


def fresh_dirs(run_dir):
    env = {}
    for var, sub in (("HOME", "home"), ("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                     ("XDG_CONFIG_HOME", "config"), ("XDG_RUNTIME_DIR", "runtime")):
        path = os.path.join(run_dir, sub)
        os.makedirs(path, mode=0o700)
        env[var] = path
    return env


def ldpn_command(run_dir):
    env = dict(sandbox_env, **ldpn_env)
    env["LD_LIBRARY_PATH"] = ":".join(filter(None, [f"{build}/nwsim/full",
                                                   os.environ.get("LD_LIBRARY_PATH")]))
    env["NWSIM_DIRECTORY"] = f"{here}/resources/demo/directory/acme.tree"
    env["QTWEBENGINE_CHROMIUM_FLAGS"] = " ".join(filter(None, [common_flags, ldpn_flags]))
    return [f"{build}/bin/ldpn", page, "/F"], env


def chromium_command(run_dir, screen):
    left, top = (screen.width - width) // 2, (screen.height - height) // 2
    cmd = [chromium, f"--app={page}", f"--user-data-dir={run_dir}/profile",
           f"--window-size={width},{height}", f"--window-position={left},{top}"]
    return cmd + shlex.split(common_flags) + shlex.split(chromium_flags), {}


def measure(name, make, screen, n):
    global running
    run_dir = os.path.join(work, f"{name}-{n}")
    os.makedirs(run_dir)
    cmd, extra = make(run_dir)
    env = dict(os.environ, LC_ALL="C.UTF-8", **fresh_dirs(run_dir), **extra)
    env.pop("QT_QPA_PLATFORM", None)
    limit = time.monotonic() + 10
    while screen.shows_page():  # the last window must be gone, or it would count at once
        if time.monotonic() > limit:
            sys.exit("window.sh: the page colour stays on screen with no program running")
        time.sleep(0.01)
    log = open(os.path.join(run_dir, "log"), "wb")
    t0 = time.monotonic()
    running = proc = subprocess.Popen(cmd, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                      stderr=log, start_new_session=True,
                                      preexec_fn=prioritise if nice else None)
    try:
        while not screen.shows_page():
            if proc.poll() is not None or time.monotonic() - t0 > timeout:
                log.close()
                with open(os.path.join(run_dir, "log"), errors="replace") as f:
                    tail = f.read()[-2000:]
                why = (f"ended with {proc.returncode}" if proc.returncode is not None
                       else f"showed no page in {timeout:g} s (centre pixel {screen.centre()})")
                sys.exit(f"window.sh: {name} {why}\n{tail}")
            time.sleep(0.001)
        seconds = time.monotonic() - t0
        time.sleep(1.0)  # the memory is taken one second after the page is on screen
        mib, kinds = tree_pss()
        distinct = distinct_pages(program_tree())
        sharers = outside_sharers(program_tree())
        if shots:
            subprocess.run([f"{build}/bin/daypane-screenshot", f"{shots}/{name}-{n}.png"],
                           env=dict(env, QT_QPA_PLATFORM="xcb"), check=False)
    finally:
        end_program()
        log.close()
    shutil.rmtree(run_dir, ignore_errors=True)
    return seconds * 1000, mib, kinds, sharers, distinct


def describe(kinds):
    if detail:
        return ", ".join(f"{k} {mib:.1f}" for k, mib in kinds)
    counts = {}
    for k, _ in kinds:
        counts[k] = counts.get(k, 0) + 1
    return ", ".join(f"{k} {c}" if c > 1 else k for k, c in counts.items())


try:
    display = os.environ.get("DISPLAY") or start_xvfb()
    os.environ["DISPLAY"] = display
    screen = Screen(display)
    programs = [("ldpn", ldpn_command), ("chromium", lambda d: chromium_command(d, screen))]
    results = {name: [] for name, _ in programs}
    disturbed = 0
    version = subprocess.run([chromium, "--version"], capture_output=True, text=True,
                             check=False).stdout.strip()
    load = os.getloadavg()[0]
    print(f"{os.cpu_count()} cores, display {display}, {version or chromium}"
          + (f", priority {nice}" if nice else ""), flush=True)
    for n in range(warmup):
        for name, make in programs:
            measure(name, make, screen, f"warmup{n}")
    for n in range(runs):
        # Alternate which program goes first, so neither always follows the other.
        order = programs if n % 2 == 0 else programs[::-1]
        for name, make in order:
            row = measure(name, make, screen, n)
            results[name].append(row)
            ms, mib, kinds, sharers, distinct = row
            shared = f" [PSS low: {len(sharers)} other processes share its files]" if sharers else ""
            alone = f" ({distinct:.1f} alone)" if distinct is not None else ""
            print(f"  run {n + 1}/{runs} {name:8s} {ms:7.1f} ms {mib:7.1f} MiB{alone} "
                  f"{len(kinds)} processes: {describe(kinds)}{shared}", flush=True)
            disturbed += bool(sharers)

    def medians(name):
        rows = results[name]
        # A run whose libraries other programs shared reads low; the others decide if any.
        alone = [r for r in rows if not r[3]] or rows
        return (statistics.median(r[0] for r in rows), statistics.median(r[1] for r in alone),
                statistics.median(len(r[2]) for r in rows))

    cms, cmib, cproc = medians("chromium")
    lms, lmib, lproc = medians("ldpn")
    rt, rm = lms / cms, lmib / cmib
    print(f"chromium --app=URL: {cms:7.1f} ms  {cmib:7.1f} MiB  {cproc:g} processes")
    print(f"ldpn URL /F       : {lms:7.1f} ms  {lmib:7.1f} MiB  {lproc:g} processes"
          f"   ratio time {rt:.2f} (<= 0.7)  memory {rm:.2f} (<= 0.5)")
    if disturbed:
        print(f"warning: in {disturbed} runs other programs mapped the same large files, which "
              "lowers the PSS measured; the memory medians leave those runs out", end="")
        never = [n for n, rows in results.items() if all(r[3] for r in rows)]
        print(f", but no {' or '.join(never)} run was alone: run on a quiet machine" if never
              else "")
    if os.geteuid() == 0:
        ca = statistics.median(r[4] for r in results["chromium"])
        la = statistics.median(r[4] for r in results["ldpn"])
        print(f"memory alone (every resident page of the tree once, shared or not): "
              f"chromium {ca:.1f} MiB, ldpn {la:.1f} MiB, ratio {la / ca:.2f}")
    print(f"load average {load:.1f} at the start, {os.getloadavg()[0]:.1f} at the end")
    if os.geteuid() != 0:
        print("note: not being root, the check for other programs sharing the measured files "
              "sees only your own processes, and the memory alone cannot be read")
    status = 1 if rt > 0.7 or rm > 0.5 else 0
finally:
    cleanup()
sys.exit(status)
PY
