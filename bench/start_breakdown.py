#!/usr/bin/env python3
"""Where the start goes: reads a Wine trace of bench_probe's startclose runs
(WINEDEBUG=+timestamp,+pid,+loaddll,+relay with the RelayInclude that
run_bench.sh sets) and prints, per program, the median time of each
step from the probe's CreateProcessA to the end of the first WM_PAINT, and
the best (least) time of each step, which a busy machine disturbs less.

    start_breakdown.py TRACE PROGRAM_NAME...

Trace lines look like "1728.913:0164:0168:Call user32.CreateWindowExA(...)":
seconds to the millisecond, process id, thread id, text. The relay trace slows every traced
call a little, so the steps add up to more than an untraced start."""
import re
import statistics
import sys

LINE = re.compile(r"^(\d+\.\d+):([0-9a-f]{4}):([0-9a-f]{4}):(.*)$")
STEPS = [
    ("process", "CreateProcessA in the probe to the program file mapped"),
    ("dlls", "its imported DLLs loaded and initialised (to the entry point)"),
    ("entry", "entry point to CreateWindowExA (runtime, window driver, class)"),
    ("precreate", "CreateWindowExA to WM_CREATE of its own procedure"),
    ("oncreate", "its WM_CREATE"),
    ("  settings", "  of which settings and file probes"),
    ("  layered", "  of which the layered attributes"),
    ("  accessory", "  of which CreateProcessA of the accessory"),
    ("show", "end of WM_CREATE to the window shown (CreateWindowExA returns)"),
    ("activation", "activation, inside WM_CREATE or the showing (see text)"),
    ("topaint", "window shown to the first BeginPaint"),
    ("paint", "BeginPaint to EndPaint"),
    ("total", "total: CreateProcessA to EndPaint"),
]


def parse(path):
    events = []
    with open(path, errors="replace") as f:
        for raw in f:
            m = LINE.match(raw.rstrip("\n"))
            if m:
                # Seconds with three decimals.
                events.append((float(m.group(1)) * 1000.0, m.group(2), m.group(3), m.group(4)))
    return events


def runs_of(events, name):
    """Each start of the program: (spawn time, the child's events)."""
    lowered = name.lower()
    found = []
    for i, (t, pid, tid, text) in enumerate(events):
        if not (text.startswith("Call KERNEL32.CreateProcessA(00000000") and lowered in text.lower()):
            continue
        child = None
        for t2, pid2, tid2, text2 in events[i + 1:]:
            if "loaddll" in text2 and lowered in text2.lower() and pid2 != pid:
                child = (pid2, tid2)
                break
        if child:
            found.append((t, [e for e in events[i:] if (e[1], e[2]) == child]))
    return found


def first(child, test, after=0.0):
    for t, _, _, text in child:
        if t >= after and test(text):
            return t
    return None


def steps_of(spawn, child):
    mapped = child[0][0]
    entry = first(child, lambda s: s.startswith("Starting thread proc"))
    create = first(child, lambda s: s.startswith("Call user32.CreateWindowExA"))
    # The program's own window procedure lies in its image (0x004xxxxx).
    own = r"window proc 004[0-9A-F]{5} .*msg=%s,"
    own_create = first(child, lambda s: re.match("Call " + own % "WM_CREATE", s))
    own_created = first(child, lambda s: re.match("Ret  " + own % "WM_CREATE", s))
    # Activation: from WM_ACTIVATEAPP to the end of WM_SETFOCUS, whether
    # SetActiveWindow in WM_CREATE or the showing of the window causes it.
    activated = first(child, lambda s: re.match("Call " + own % "WM_ACTIVATEAPP", s))
    focused = first(child, lambda s: re.match("Ret  " + own % "WM_SETFOCUS", s))
    layered = first(child, lambda s: s.startswith("Call user32.SetLayeredWindowAttributes"))
    layered_ret = first(child, lambda s: s.startswith("Ret  user32.SetLayeredWindowAttributes"))
    spawn_call = first(child, lambda s: s.startswith("Call KERNEL32.CreateProcessA"), own_create or 0)
    spawn_ret = first(child, lambda s: s.startswith("Ret  KERNEL32.CreateProcessA"), own_create or 0)
    shown = first(child, lambda s: s.startswith("Ret  user32.CreateWindowExA"))
    begin = first(child, lambda s: s.startswith("Call user32.BeginPaint"))
    end = first(child, lambda s: s.startswith("Ret  user32.EndPaint"))
    if None in (entry, create, own_create, own_created, shown, begin, end, activated, focused):
        return None
    if spawn_call and spawn_call > own_created:
        spawn_call = spawn_ret = None
    # Own work before the first of these marks inside WM_CREATE.
    marks = [t for t in (layered, spawn_call, activated) if t and t <= own_created]
    settings = min(marks) - own_create if marks else 0.0
    return {
        "process": mapped - spawn,
        "dlls": entry - mapped,
        "entry": create - entry,
        "precreate": own_create - create,
        "oncreate": own_created - own_create,
        "  settings": settings,
        "  layered": (layered_ret - layered) if layered else 0.0,
        "  accessory": (spawn_ret - spawn_call) if spawn_call else 0.0,
        "show": shown - own_created,
        "activation": focused - activated,
        "topaint": begin - shown,
        "paint": end - begin,
        "total": end - spawn,
    }


def main():
    events = parse(sys.argv[1])
    names = sys.argv[2:]
    table = {}
    counts = {}
    for name in names:
        rows = [s for s in (steps_of(t, c) for t, c in runs_of(events, name)) if s]
        counts[name] = len(rows)
        table[name] = {k: (statistics.median(r[k] for r in rows), min(r[k] for r in rows))
                       if rows else None for k, _ in STEPS}
    width = max(len(text) for _, text in STEPS)
    print("| %-*s | %s |" % (width, "step, ms: median (best)",
                             " | ".join("%16s" % n[:16] for n in names)))
    print("|%s|%s|" % ("-" * (width + 2), "|".join("-" * 18 for _ in names)))
    for key, text in STEPS:
        cells = []
        for n in names:
            v = table[n][key]
            cells.append("%16s" % ("-" if v is None else "%.1f (%.1f)" % v))
        print("| %-*s | %s |" % (width, text, " | ".join(cells)))
    print("runs parsed: " + ", ".join("%s %d" % (n, counts[n]) for n in names))


if __name__ == "__main__":
    main()
