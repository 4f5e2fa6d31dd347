#!/usr/bin/env python3
"""Fault-injection check: does the test suite catch deliberate slips?

Each fault in the list is applied alone to a copy of the tree, the copy is
built, and the whole suite runs until a test fails (the fault is caught), it
passes (missed) or it hangs (caught: a suite that never finishes does not
pass). Faults whose text no longer occurs exactly once are reported as stale,
so the list cannot quietly stop testing anything.
"""

import argparse
import configparser
import json
import os
import shutil
import signal
import subprocess
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

AREAS = ("model", "sim", "lab", "views", "app")


def read_faults(path):
    parser = configparser.ConfigParser(interpolation=None, delimiters=("=",),
                                       comment_prefixes=("#",), strict=True)
    parser.optionxform = str
    with open(path, encoding="utf-8") as f:
        parser.read_file(f)
    faults = []
    for fid in parser.sections():
        s = parser[fid]
        missing = [k for k in ("area", "file", "find", "replace", "why") if k not in s]
        if missing:
            sys.exit(f"{path}: fault [{fid}] lacks {', '.join(missing)}")
        if s["area"] not in AREAS:
            sys.exit(f"{path}: fault [{fid}] has area '{s['area']}', not one of {', '.join(AREAS)}")
        faults.append(dict(id=fid, **{k: s[k] for k in ("area", "file", "find", "replace", "why")}))
    return faults


def check_applies(root, fault):
    """None when the fault's text occurs exactly once, else why not."""
    path = os.path.join(root, fault["file"])
    if not os.path.isfile(path):
        return "file missing"
    with open(path, encoding="utf-8") as f:
        count = f.read().count(fault["find"])
    if count != 1:
        return f"text found {count} times"
    if fault["find"] == fault["replace"]:
        return "replacement changes nothing"
    return None


def sync_tree(source, tree):
    """Copies the tracked and new files; unchanged files keep their times, so
    the copy's build stays incremental between runs."""
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=source,
                           check=True, capture_output=True).stdout.decode().split("\0")
    files = [f for f in files if f and os.path.isfile(os.path.join(source, f))]
    os.makedirs(tree, exist_ok=True)
    listing = os.path.join(os.path.dirname(tree), "files.txt")
    with open(listing, "w", encoding="utf-8") as f:
        f.write("\n".join(files) + "\n")
    # Files gone from the source (renamed, deleted) go from the copy too: a
    # build that globs its sources would still compile them.
    keep = set(files)
    for folder, dirs, names in os.walk(tree):
        rel_folder = os.path.relpath(folder, tree)
        if rel_folder == ".":
            dirs[:] = [d for d in dirs if d not in ("build", ".git")]
        for name in names:
            rel = os.path.normpath(os.path.join(rel_folder, name))
            if rel not in keep:
                os.remove(os.path.join(folder, name))
    if shutil.which("rsync"):
        subprocess.run(["rsync", "-a", f"--files-from={listing}", source + "/", tree + "/"],
                       check=True)
    else:
        for rel in files:
            src, dst = os.path.join(source, rel), os.path.join(tree, rel)
            if os.path.exists(dst) and os.path.getmtime(dst) == os.path.getmtime(src) \
                    and os.path.getsize(dst) == os.path.getsize(src):
                continue
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            shutil.copy2(src, dst)


def configure(tree, build, jobs):
    # The dev preset's flags, so a warm compiler cache serves the copy; no
    # benchmarks; gold links the many test programs faster.
    args = ["cmake", "-S", tree, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
            "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG", "-DQUILLMOOR_BENCH=OFF",
            "-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold"]
    if shutil.which("ccache"):
        args += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def build_tree(build, jobs, log):
    with open(log, "w", encoding="utf-8") as out:
        return subprocess.run(["cmake", "--build", build, "-j", str(jobs)], stdout=out,
                              stderr=subprocess.STDOUT).returncode == 0


class Suite:
    """The suite as whole programs: each GoogleTest program runs all its cases
    in one process and stops at the first failure; other CTest entries run
    through ctest."""

    def __init__(self, build):
        listing = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"],
                                 check=True, capture_output=True, text=True).stdout
        self.runs = {}
        for test in json.loads(listing)["tests"]:
            cmd = test.get("command") or []
            props = {p["name"]: p["value"] for p in test.get("properties", [])}
            env = dict(os.environ)
            for item in props.get("ENVIRONMENT", []):
                key, _, value = item.partition("=")
                env[key] = value
            cwd = props.get("WORKING_DIRECTORY", build)
            if any(a.startswith("--gtest_filter") for a in cmd):
                name = os.path.basename(cmd[0])
                self.runs.setdefault(name, dict(name=name, cwd=cwd, env=env,
                                                cmd=[cmd[0], "--gtest_fail_fast", "--gtest_brief=1"]))
            else:
                self.runs[test["name"]] = dict(name=test["name"], cwd=build, env=env,
                                               cmd=["ctest", "--test-dir", build, "-R",
                                                    "^" + test["name"] + "$", "--output-on-failure"])
        self.seconds = {name: 60.0 for name in self.runs}

    def order(self, area):
        # The fault's own layer first (it most likely catches it), then the
        # longest first so two cores stay busy.
        def key(name):
            return (0 if name.startswith(area + "_") else 1, -self.seconds[name])
        return sorted(self.runs, key=key)

    def run(self, area, jobs, log, timeout_factor=None):
        """Returns (verdict, program): verdict is 'caught', 'hang' or 'missed'."""
        stop = threading.Event()
        verdict = {}
        lock = threading.Lock()
        procs = []

        def one(name):
            if stop.is_set():
                return
            run = self.runs[name]
            limit = None if timeout_factor is None else self.seconds[name] * timeout_factor + 60
            started = time.monotonic()
            with open(f"{log}.{name}", "w", encoding="utf-8") as out:
                proc = subprocess.Popen(run["cmd"], cwd=run["cwd"], env=run["env"], stdout=out,
                                        stderr=subprocess.STDOUT, start_new_session=True)
                with lock:
                    procs.append(proc)
                try:
                    code = proc.wait(timeout=limit)
                except subprocess.TimeoutExpired:
                    os.killpg(proc.pid, signal.SIGKILL)
                    proc.wait()
                    code = "hang"
            if timeout_factor is None:
                self.seconds[name] = time.monotonic() - started
            if code != 0 and not stop.is_set():
                with lock:
                    verdict.setdefault("result", ("hang" if code == "hang" else "caught", name))
                stop.set()
                with lock:
                    for p in procs:
                        if p.poll() is None:
                            os.killpg(p.pid, signal.SIGKILL)

        with ThreadPoolExecutor(max_workers=jobs) as pool:
            list(pool.map(one, self.order(area)))
        return verdict.get("result", ("missed", ""))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--list", default="scripts/mutants.txt", help="the fault list")
    ap.add_argument("--work", default=os.environ.get("MUTANTS_DIR", "/tmp/quillmoor-mutants"),
                    help="where the copy of the tree and its build live")
    ap.add_argument("--only", default="", help="comma-separated fault ids")
    ap.add_argument("--area", default="", help="only the faults of this layer")
    ap.add_argument("--check", action="store_true",
                    help="only check that every fault still applies; build nothing")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    args = ap.parse_args()

    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], check=True,
                          capture_output=True, text=True).stdout.strip()
    faults = read_faults(os.path.join(root, args.list))
    ids = {f["id"] for f in faults}
    if args.only:
        wanted = set(args.only.split(","))
        unknown = wanted - ids
        if unknown:
            sys.exit(f"no such fault: {', '.join(sorted(unknown))}")
        faults = [f for f in faults if f["id"] in wanted]
    if args.area:
        faults = [f for f in faults if f["area"] == args.area]

    stale = [(f, check_applies(root, f)) for f in faults]
    stale = [(f, why) for f, why in stale if why]
    for f, why in stale:
        print(f"stale  {f['id']}: {f['file']}: {why}")
    if args.check:
        print(f"{len(faults) - len(stale)} of {len(faults)} faults apply")
        return 1 if stale else 0
    faults = [f for f in faults if f not in [s for s, _ in stale]]

    work = os.path.abspath(args.work)
    tree = os.path.join(work, "tree")
    build = os.path.join(tree, "build", "dev")
    logs = os.path.join(work, "logs")
    os.makedirs(logs, exist_ok=True)
    print(f"copying the tree to {tree}", flush=True)
    sync_tree(root, tree)
    configure(tree, build, args.jobs)
    if not build_tree(build, args.jobs, os.path.join(logs, "build-clean.log")):
        sys.exit(f"the unchanged tree does not build; see {logs}/build-clean.log")
    suite = Suite(build)
    started = time.monotonic()
    verdict, name = suite.run("", args.jobs, os.path.join(logs, "clean"))
    if verdict != "missed":
        sys.exit(f"the suite fails on the unchanged tree ({name}); see {logs}/clean.{name}")
    print(f"unchanged tree: suite passes in {time.monotonic() - started:.0f} s", flush=True)

    results = []
    for n, fault in enumerate(faults, 1):
        path = os.path.join(tree, fault["file"])
        with open(path, encoding="utf-8") as f:
            original = f.read()
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(fault["find"], fault["replace"], 1))
        t0 = time.monotonic()
        try:
            if build_tree(build, args.jobs, os.path.join(logs, f"build-{fault['id']}.log")):
                verdict, name = suite.run(fault["area"], args.jobs,
                                          os.path.join(logs, fault["id"]), timeout_factor=3)
            else:
                verdict, name = "no build", ""
        finally:
            # A fresh time stamp, so the next build compiles the original again.
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        results.append((fault, verdict, name))
        print(f"[{n}/{len(faults)}] {verdict:8} {fault['id']:44} {name} "
              f"({time.monotonic() - t0:.0f} s)", flush=True)

    build_tree(build, args.jobs, os.path.join(logs, "build-restored.log"))
    caught = sum(1 for _, v, _ in results if v in ("caught", "hang"))
    missed = [f for f, v, _ in results if v == "missed"]
    unbuilt = [f for f, v, _ in results if v == "no build"]
    with open(os.path.join(work, "results.tsv"), "w", encoding="utf-8") as out:
        for fault, verdict, name in results:
            out.write(f"{fault['id']}\t{fault['area']}\t{verdict}\t{name}\n")
    print()
    for area in AREAS:
        mine = [(f, v) for f, v, _ in results if f["area"] == area]
        if mine:
            got = sum(1 for _, v in mine if v in ("caught", "hang"))
            print(f"{area:6} {got:3} of {len(mine):3} caught")
    for f in missed:
        print(f"missed: {f['id']}: {f['why']}")
    for f in unbuilt:
        print(f"does not build: {f['id']}")
    print(f"caught {caught} of {len(results)} faults"
          + (f"; {len(stale)} stale" if stale else ""))
    return 0 if not stale and not unbuilt else 1


if __name__ == "__main__":
    sys.exit(main())
