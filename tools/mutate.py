#!/usr/bin/env python3
"""Mutation sampling: does the test suite catch small faults planted in the core?

The core is src/ without src/gui, src/cli and src/app. Each mutant changes one line of one .cpp file:
  cmp     flips a comparison (< and <=, > and >=, == and !=)
  const   shifts an integer constant by one
  drop    drops a statement (a call or an assignment on a line of its own)
  negate  inverts a condition: if (x) becomes if (!(x))
  return  returns at the start of a void or bool function

Mutants are applied in a scratch copy of the tree (never in a work tree anyone edits), one at a time: apply,
rebuild the core library, then build and run the tests one by one, the mutated subsystem's tests first and the
rest fastest first, stopping at the first test that fails (a failure is run a second time, so that a test that
fails now and then, e.g. over a busy UDP port, does not count as a kill). A mutant that does not compile is
invalid and not counted; the next one in the seeded order takes its place. The file is restored afterwards,
also when the run is interrupted.

  tools/mutate.py --tree /work/mut-scratch --prepare REV
        lays REV of this repository into the scratch tree (its build/dev is kept, so ccache and ninja stay warm)
  tools/mutate.py --tree /work/mut-scratch --seed 19 --count 40 --include SPEC... \
        --out docs/mutants-sample.txt --results docs/mutants-before.txt
        draws the sample in seeded order and runs it until --count mutants compiled; the sample file lists the
        mutants that ran (the included ones first), one JSON object a line
  tools/mutate.py --tree DIR --replay docs/mutants-sample.txt --results after.txt
        applies the same mutants to another state of the code: the recorded original line is looked up by its
        exact text, the occurrence nearest the recorded line number; a line that no longer exists is
        "not applicable"
  tools/mutate.py --compare before.txt after.txt
        lists the mutants killed in the first run and not killed in the second
  tools/mutate.py --seed 19 --count 40 --list
        prints the first candidates of the seeded order without building anything

An --include SPEC is FILE:OLD=>NEW: the first line of FILE containing OLD, with OLD replaced by NEW.
The results file starts with a summary in '#' lines, followed by one JSON object per mutant.
"""

import argparse
import filecmp
import json
import os
import random
import re
import shutil
import subprocess
import sys
import time
from collections import OrderedDict, defaultdict

CORE_SUBSYSTEMS = ["database", "servers", "collect", "detect", "banlists", "base", "review", "hunt", "report",
                   "gallery", "platform"]
# files being rewritten on other branches at the moment: a mutant there could not be replayed later
EXCLUDED = [r"^src/collect/ScreenshotIntake\.", r"^src/collect/DownloadPool\.", r"^src/detect/Detection\."]
BUILD_DIR = "build/dev"
BACKUP_SUFFIX = ".mutate-orig"

# ---------------------------------------------------------------------------------------------------------------
# Finding candidate sites


def code_mask(line):
    """The line with string and character literals and a trailing // comment blanked, same length."""
    out = []
    i = 0
    quote = None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\" and i + 1 < len(line):
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
                out.append(c)
            else:
                out.append(" ")
        elif c in "\"'":
            # digit separators such as 1'000 are not literals
            if c == "'" and i > 0 and line[i - 1].isalnum() and i + 1 < len(line) and line[i + 1].isalnum():
                out.append(c)
            else:
                quote = c
                out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


CMP_FLIP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
CMP_RE = re.compile(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)")
INT_RE = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
DROP_RE = re.compile(r"^\s*(?:[a-z_][\w]*(?:(?:\.|->|::)[a-zA-Z_]\w*)*\s*(?:\(|(?:[-+*/|&]?=)[^=])|"
                     r"(?:\+\+|--)[a-z_]\w*\s*;|[a-z_]\w*(?:\+\+|--)\s*;)")
NOT_STATEMENT = ("return", "break", "continue", "case", "default", "goto", "using", "typedef", "delete", "throw")
FUNC_RE = re.compile(r"^(?:static\s+|inline\s+)*(void|bool)\s+[\w:~]+\(.*\)\s*(?:const)?\s*(?:noexcept)?\s*$")


def find_if_condition(masked, start):
    """(open, close) indices of the parenthesis after 'if' at start, or None if not closed on this line."""
    open_at = masked.find("(", start)
    if open_at < 0:
        return None
    depth = 0
    for j in range(open_at, len(masked)):
        if masked[j] == "(":
            depth += 1
        elif masked[j] == ")":
            depth -= 1
            if depth == 0:
                return open_at, j
    return None


def line_sites(line, masked):
    """Mutations of one line: a list of (operator, mutated line)."""
    sites = []
    stripped = masked.strip()
    if not stripped or stripped.startswith(("#", "*", "/*", "//")) or "static_assert" in masked:
        return sites
    if re.search(r"\btemplate\b|\boperator\b", masked):
        return sites
    for m in CMP_RE.finditer(masked):
        sites.append(("cmp", line[:m.start()] + CMP_FLIP[m.group(1)] + line[m.end():]))
    if not re.search(r"\[\s*\]|\benum\b|\bcase\b", masked):
        for m in INT_RE.finditer(masked):
            value = int(m.group(1))
            sites.append(("const", line[:m.start()] + str(value + 1) + line[m.end():]))
    if (stripped.endswith(";") and "{" not in stripped and "}" not in stripped and
            not stripped.startswith(NOT_STATEMENT) and DROP_RE.match(masked) and
            masked.count("(") == masked.count(")")):
        indent = line[:len(line) - len(line.lstrip())]
        sites.append(("drop", indent + ";"))
    for m in re.finditer(r"\bif\s*\(", masked):
        span = find_if_condition(masked, m.start())
        if span and not masked[span[0] + 1:span[1]].lstrip().startswith(("auto ", "const ")) and \
                ";" not in masked[span[0]:span[1]]:
            o, c = span
            sites.append(("negate", line[:o + 1] + "!(" + line[o + 1:c] + ")" + line[c:]))
    return sites


def return_sites(lines):
    """(line index, mutated line) for the first statement of each void or bool function."""
    out = []
    for i in range(len(lines) - 2):
        m = FUNC_RE.match(lines[i])
        if not m or lines[i + 1].rstrip() != "{":
            continue
        body = lines[i + 2]
        if not body.strip() or body.strip().startswith(("}", "//", "#")):
            continue
        value = "return;" if m.group(1) == "void" else "return false;"
        indent = body[:len(body) - len(body.lstrip())]
        out.append((i + 2, indent + value + " " + body.lstrip()))
    return out


def core_files(tree):
    files = []
    for sub in CORE_SUBSYSTEMS:
        d = os.path.join(tree, "src", sub)
        if not os.path.isdir(d):
            continue
        for name in sorted(os.listdir(d)):
            rel = "src/%s/%s" % (sub, name)
            if name.endswith(".cpp") and not any(re.search(p, rel) for p in EXCLUDED):
                files.append(rel)
    return files


def candidates(tree):
    """Every candidate mutant of the core, by subsystem."""
    by_sub = defaultdict(list)
    for rel in core_files(tree):
        with open(os.path.join(tree, rel), encoding="utf-8", errors="surrogateescape") as f:
            lines = f.read().split("\n")
        in_block = False
        for n, line in enumerate(lines):
            masked = code_mask(line)
            if in_block:
                if "*/" in masked:
                    in_block = False
                continue
            if "/*" in masked:
                if "*/" not in masked[masked.find("/*"):]:
                    in_block = True
                continue
            for op, mutated in line_sites(line, masked):
                by_sub[rel.split("/")[1]].append(mutant(rel, n + 1, line, mutated, op))
        for idx, mutated in return_sites(lines):
            by_sub[rel.split("/")[1]].append(mutant(rel, idx + 1, lines[idx], mutated, "return"))
    return by_sub


def mutant(rel, line, orig, mut, op):
    return OrderedDict([("file", rel), ("line", line), ("orig", orig), ("mut", mut), ("op", op)])


def seeded_order(tree, seed):
    """All candidates in the order of the seed: subsystems take turns, each in its own shuffled order."""
    rng = random.Random(seed)
    by_sub = candidates(tree)
    queues = []
    for sub in sorted(by_sub):
        items = list(by_sub[sub])
        rng.shuffle(items)
        queues.append(items)
    rng.shuffle(queues)
    order = []
    while any(queues):
        for q in queues:
            if q:
                order.append(q.pop(0))
    return order


def parse_include(tree, spec):
    m = re.match(r"^([^:]+):(.*)=>(.*)$", spec)
    if not m:
        sys.exit("bad --include %r: FILE:OLD=>NEW" % spec)
    rel, old, new = m.groups()
    with open(os.path.join(tree, rel), encoding="utf-8", errors="surrogateescape") as f:
        for n, line in enumerate(f.read().split("\n")):
            if old in line:
                op = "const" if re.sub(r"\d+", "#", old) == re.sub(r"\d+", "#", new) else "cmp"
                return mutant(rel, n + 1, line, line.replace(old, new, 1), op)
    sys.exit("--include %r: text not found in %s" % (spec, rel))


# ---------------------------------------------------------------------------------------------------------------
# Applying a mutant


def locate(lines, m):
    """Index of the line holding m's original text, the one nearest the recorded line, or None."""
    hits = [i for i, l in enumerate(lines) if l == m["orig"]]
    if not hits:
        return None
    return min(hits, key=lambda i: (abs(i + 1 - m["line"]), i))


class Applied:
    """Puts a mutant into the file for the duration of a with-block; the original bytes come back afterwards."""

    def __init__(self, tree, m):
        self.path = os.path.join(tree, m["file"])
        self.m = m
        self.original = None
        self.at = None

    def __enter__(self):
        with open(self.path, "rb") as f:
            self.original = f.read()
        lines = self.original.decode("utf-8", "surrogateescape").split("\n")
        self.at = locate(lines, self.m)
        if self.at is None:
            return None
        shutil.copyfile(self.path, self.path + BACKUP_SUFFIX)
        lines[self.at] = self.m["mut"]
        with open(self.path, "wb") as f:
            f.write("\n".join(lines).encode("utf-8", "surrogateescape"))
        return self.at + 1

    def __exit__(self, *exc):
        if self.at is not None:
            with open(self.path, "wb") as f:
                f.write(self.original)
            os.remove(self.path + BACKUP_SUFFIX)
        return False


def restore_leftovers(tree):
    """A run killed hard leaves its backup beside the mutated file: put it back."""
    for sub in CORE_SUBSYSTEMS:
        d = os.path.join(tree, "src", sub)
        if os.path.isdir(d):
            for name in os.listdir(d):
                if name.endswith(BACKUP_SUFFIX):
                    path = os.path.join(d, name)
                    os.replace(path, path[:-len(BACKUP_SUFFIX)])
                    print("restored %s" % path[:-len(BACKUP_SUFFIX)])


# ---------------------------------------------------------------------------------------------------------------
# Building and testing


class Runner:
    """Builds with ninja and runs the test executables directly (two at a time at most), each with its own limit."""

    def __init__(self, tree, jobs, log):
        self.tree = tree
        self.build = os.path.join(tree, BUILD_DIR)
        self.jobs = jobs
        self.log = log
        self.tests = OrderedDict()   # name -> (folder, environment, working directory)
        self.durations = {}

    def note(self, text):
        self.log.write(text + "\n")
        self.log.flush()

    def configure(self):
        if not os.path.exists(os.path.join(self.build, "build.ninja")):
            subprocess.run(["cmake", "--preset", "dev", "-DVARNHOLT_BUILD_BENCH=OFF",
                            "-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"], cwd=self.tree, check=True)

    def build_targets(self, targets):
        start = time.time()
        p = subprocess.run(["ninja", "-j%d" % self.jobs] + targets, cwd=self.build, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT)
        out = p.stdout.decode("utf-8", "replace")
        self.note("$ ninja %s  (%.1fs, rc=%d)\n%s" % (" ".join(targets), time.time() - start, p.returncode,
                                                      out[-3000:] if p.returncode else ""))
        return p.returncode == 0, out

    def discover_tests(self):
        p = subprocess.run(["ctest", "--show-only=json-v1"], cwd=self.build, stdout=subprocess.PIPE, check=True)
        for t in json.loads(p.stdout)["tests"]:
            props = {x["name"]: x["value"] for x in t.get("properties", [])}
            cwd = props["WORKING_DIRECTORY"]
            env = dict(os.environ)
            env.update(v.split("=", 1) for v in props.get("ENVIRONMENT", []))
            self.tests[t["name"]] = (os.path.basename(cwd), env, cwd)

    def start_test(self, name):
        folder, env, cwd = self.tests[name]
        out = open(os.path.join(self.build, "mutate-%s.out" % name), "wb")
        return subprocess.Popen([os.path.join(cwd, name)], cwd=cwd, env=env, stdout=out, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, start_new_session=True), out

    def run_tests(self, names, limit_of, parallel):
        """Runs names, `parallel` at a time, in the given order; stops at the first failure.
        Returns (first failing test or None, whether it ran out of time, {passed test: seconds})."""
        pending = list(names)
        running = {}   # name -> (process, output, start)
        passed = {}
        failed = None
        timed_out = False
        while (pending or running) and failed is None:
            while pending and len(running) < parallel:
                n = pending.pop(0)
                proc, out = self.start_test(n)
                running[n] = (proc, out, time.time())
            time.sleep(0.05)
            for n in list(running):
                proc, out, t0 = running[n]
                rc = proc.poll()
                late = rc is None and time.time() - t0 > limit_of(n)
                if rc is None and not late:
                    continue
                if late:
                    os.killpg(proc.pid, 9)
                    proc.wait()
                out.close()
                del running[n]
                self.note("  %s: %s after %.1fs" % (n, "timeout" if late else "rc=%d" % rc, time.time() - t0))
                if rc == 0:
                    passed[n] = time.time() - t0
                elif failed is None:
                    failed, timed_out = n, late
        for n, (proc, out, t0) in running.items():   # the other one still running after a failure
            os.killpg(proc.pid, 9)
            proc.wait()
            out.close()
        return failed, timed_out, passed

    def baseline(self):
        """Builds everything and runs each test once, alone, on the unmutated tree: which pass, and how long."""
        ok, out = self.build_targets(["all"])
        if not ok:
            sys.exit("the unmutated tree does not build; see the log")
        for name in self.tests:
            for attempt in (1, 2):   # a second chance for a test that lost a race for a port
                failed, _, passed = self.run_tests([name], lambda n: 600, 1)
                if not failed:
                    break
            self.durations[name] = passed.get(name)
            print("  baseline %-28s %s" % (name, "%.1fs" % passed[name] if name in passed else "FAILS (left out)"),
                  flush=True)

    def order_for(self, rel):
        sub = rel.split("/")[1]
        usable = [n for n in self.tests if self.durations.get(n) is not None]
        first = [n for n in usable if self.tests[n][0] == sub]
        rest = sorted((n for n in usable if self.tests[n][0] != sub), key=lambda n: self.durations[n])
        return first, rest

    def try_mutant(self, m, timeout_factor, min_timeout):
        """Applies m, builds and tests: a result dict."""
        r = OrderedDict(m)
        start = time.time()
        limit_of = lambda n: max(min_timeout, timeout_factor * self.durations[n])
        with Applied(self.tree, m) as at:
            if at is None:
                r.update(status="not applicable", seconds=0.0)
                return r
            r["applied_line"] = at
            self.note("== %s:%d [%s] %s" % (m["file"], at, m["op"], m["mut"].strip()))
            ok, out = self.build_targets(["varnholt_core"])
            if not ok:
                errors = [l for l in out.splitlines() if "error:" in l][:2]
                r.update(status="invalid", reason=" / ".join(errors)[:300], seconds=round(time.time() - start, 1))
                return r
            first, rest = self.order_for(m["file"])
            r["status"] = "survived"
            # the subsystem's own tests one by one, each built just before it runs; then all the others
            batches = [([n], 1) for n in first] + ([(rest, 2)] if rest else [])
            ran = 0
            while batches:
                names, parallel = batches.pop(0)
                ok, out = self.build_targets(names)
                if not ok:
                    r.update(status="invalid", reason="the tests do not build")
                    break
                failed, timed_out, passed = self.run_tests(names, limit_of, parallel)
                ran += len(passed) + (1 if failed else 0)
                if not failed:
                    continue
                again, timed_out_again, _ = self.run_tests([failed], limit_of, 1)
                if not again:
                    self.note("flaky: %s failed once and passed alone; not counted as a kill" % failed)
                    left = [n for n in names if n not in passed and n != failed]
                    if left:
                        batches.insert(0, (left, parallel))
                    continue
                r.update(status="killed", killed_by=failed, timeout=bool(timed_out and timed_out_again))
                break
            r["tests_run"] = ran
        r["seconds"] = round(time.time() - start, 1)
        return r


# ---------------------------------------------------------------------------------------------------------------
# Reports


def load_jsonl(path):
    out = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                out.append(json.loads(line, object_pairs_hook=OrderedDict))
    return out


def key(m):
    return (m["file"], m["orig"].strip(), m["mut"].strip(), m["op"])


def summary(results, header):
    lines = [header]
    per_file = OrderedDict()
    for r in results:
        per_file.setdefault(r["file"], defaultdict(int))[r["status"]] += 1
    valid = [r for r in results if r["status"] in ("killed", "survived")]
    killed = [r for r in valid if r["status"] == "killed"]
    lines.append("%-42s %7s %9s %8s %14s" % ("file", "killed", "survived", "invalid", "not applicable"))
    for f, c in sorted(per_file.items()):
        lines.append("%-42s %7d %9d %8d %14d" % (f, c["killed"], c["survived"], c["invalid"], c["not applicable"]))
    secs = [r["seconds"] for r in valid]
    lines.append("valid %d: killed %d, survived %d (%.0f%% killed); invalid %d; not applicable %d" % (
        len(valid), len(killed), len(valid) - len(killed), 100.0 * len(killed) / max(1, len(valid)),
        sum(1 for r in results if r["status"] == "invalid"),
        sum(1 for r in results if r["status"] == "not applicable")))
    if secs:
        lines.append("seconds per valid mutant: mean %.0f, median %.0f, max %.0f; whole run %.0f" % (
            sum(secs) / len(secs), sorted(secs)[len(secs) // 2], max(secs), sum(r["seconds"] for r in results)))
    lines.append("survivors:")
    for r in valid:
        if r["status"] == "survived":
            lines.append("  %s:%s [%s] %s  ->  %s" % (r["file"], r.get("applied_line", r["line"]), r["op"],
                                                       r["orig"].strip(), r["mut"].strip()))
    lines.append("killed:")
    for r in killed:
        lines.append("  %s:%s [%s] %s  ->  %s   by %s%s" % (
            r["file"], r.get("applied_line", r["line"]), r["op"], r["orig"].strip(), r["mut"].strip(),
            r["killed_by"], " (timeout)" if r.get("timeout") else ""))
    return lines


def write_results(path, results, header):
    with open(path, "w", encoding="utf-8") as f:
        for l in summary(results, header):
            f.write("# " + l + "\n")
        for r in results:
            f.write(json.dumps(r, ensure_ascii=False) + "\n")


def write_sample(path, sample):
    with open(path, "w", encoding="utf-8") as f:
        f.write("# mutants for tools/mutate.py --replay: file, line, original line, mutated line, operator\n")
        for m in sample:
            f.write(json.dumps(mutant(m["file"], m["line"], m["orig"], m["mut"], m["op"]), ensure_ascii=False) + "\n")


def compare(before_path, after_path):
    before = {key(r): r for r in load_jsonl(before_path)}
    after = {key(r): r for r in load_jsonl(after_path)}
    lost, gained, missing = [], [], []
    for k, b in before.items():
        a = after.get(k)
        if b["status"] != "killed":
            if a and a["status"] == "killed" and b["status"] == "survived":
                gained.append((b, a))
            continue
        if not a:
            missing.append(b)
        elif a["status"] != "killed":
            lost.append((b, a))
    print("killed before, not killed after: %d" % len(lost))
    for b, a in lost:
        print("  %s:%s [%s] %s  ->  %s   before by %s, after: %s" % (
            b["file"], b["line"], b["op"], b["orig"].strip(), b["mut"].strip(), b["killed_by"], a["status"]))
    print("survived before, killed after: %d" % len(gained))
    for b, a in gained:
        print("  %s:%s [%s] %s  ->  %s   after by %s" % (b["file"], b["line"], b["op"], b["orig"].strip(),
                                                         b["mut"].strip(), a["killed_by"]))
    if missing:
        print("killed before, absent from the second run: %d" % len(missing))
    return 1 if lost else 0


# ---------------------------------------------------------------------------------------------------------------


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--tree", default="/work/mut-scratch", help="scratch copy the mutants are applied to")
    ap.add_argument("--prepare", metavar="REV", help="lay REV of this repository into --tree and stop")
    ap.add_argument("--seed", type=int, default=19)
    ap.add_argument("--count", type=int, default=40, help="mutants that compile, besides the included ones")
    ap.add_argument("--include", action="append", default=[], metavar="FILE:OLD=>NEW")
    ap.add_argument("--out", help="sample file to write (the mutants that ran)")
    ap.add_argument("--results", help="results file to write")
    ap.add_argument("--replay", metavar="SAMPLE", help="run the mutants of a sample file")
    ap.add_argument("--compare", nargs=2, metavar=("BEFORE", "AFTER"))
    ap.add_argument("--list", action="store_true", help="print the first --count candidates and stop")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--timeout-factor", type=float, default=3.0, help="test time limit, times its baseline")
    ap.add_argument("--min-timeout", type=float, default=30.0, help="seconds, at least, per test")
    ap.add_argument("--log", default=None, help="build and test output (default: <tree>/build/mutate.log)")
    a = ap.parse_args()

    if a.compare:
        sys.exit(compare(*a.compare))
    tree = os.path.abspath(a.tree)
    if a.prepare:
        repo = subprocess.run(["git", "rev-parse", "--show-toplevel"], stdout=subprocess.PIPE, check=True,
                              cwd=os.path.dirname(os.path.abspath(__file__))).stdout.decode().strip()
        os.makedirs(tree, exist_ok=True)
        incoming = tree.rstrip("/") + ".incoming"
        shutil.rmtree(incoming, ignore_errors=True)
        os.makedirs(incoming)
        archive = subprocess.Popen(["git", "-C", repo, "archive", a.prepare], stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", incoming], stdin=archive.stdout, check=True)
        if archive.wait() != 0:
            sys.exit("git archive %s failed" % a.prepare)
        # only files whose content changed are written, so that ninja rebuilds no more than the change needs
        changed = 0
        for root, dirs, files in os.walk(incoming):
            rel_root = os.path.relpath(root, incoming)
            for name in files:
                src, dst = os.path.join(root, name), os.path.join(tree, rel_root, name)
                if not os.path.exists(dst) or not filecmp.cmp(src, dst, shallow=False):
                    os.makedirs(os.path.dirname(dst), exist_ok=True)
                    shutil.copy2(src, dst)
                    os.utime(dst)
                    changed += 1
        for root, dirs, files in os.walk(tree):
            rel_root = os.path.relpath(root, tree)
            if rel_root == "." and "build" in dirs:
                dirs.remove("build")
            for name in files:
                if not os.path.exists(os.path.join(incoming, rel_root, name)):
                    os.remove(os.path.join(root, name))
                    changed += 1
        shutil.rmtree(incoming)
        print("%d files changed" % changed)
        print("laid %s into %s" % (a.prepare, tree))
        return
    restore_leftovers(tree)
    if a.list:
        for m in seeded_order(tree, a.seed)[:a.count]:
            print(json.dumps(m, ensure_ascii=False))
        return

    log_path = a.log or os.path.join(tree, "build", "mutate.log")
    os.makedirs(os.path.dirname(log_path), exist_ok=True)
    log = open(log_path, "a", encoding="utf-8")
    runner = Runner(tree, a.jobs, log)
    runner.configure()
    print("building %s and timing the unmutated suite" % tree, flush=True)
    runner.discover_tests()
    runner.baseline()

    results = []

    def report(r):
        results.append(r)
        extra = ""
        if r["status"] == "killed":
            extra = " by " + r["killed_by"]
        elif r["status"] == "invalid":
            extra = " (" + r.get("reason", "")[:100] + ")"
        print("%3d %-9s %5.0fs %s:%s [%s] %s -> %s%s" % (
            len(results), r["status"], r["seconds"], r["file"], r.get("applied_line", r["line"]), r["op"],
            r["orig"].strip()[:60], r["mut"].strip()[:60], extra), flush=True)
        if a.results:
            write_results(a.results, results, header)

    if a.replay:
        header = "replay of %s on %s" % (a.replay, tree)
        for m in load_jsonl(a.replay):
            report(runner.try_mutant(m, a.timeout_factor, a.min_timeout))
    else:
        header = "seed %d, count %d, includes %d, tree %s" % (a.seed, a.count, len(a.include), tree)
        for spec in a.include:
            report(runner.try_mutant(parse_include(tree, spec), a.timeout_factor, a.min_timeout))
        valid = 0
        included = {key(r) for r in results}
        for m in seeded_order(tree, a.seed):
            if valid >= a.count:
                break
            if key(m) in included:   # drawn again by the seed: already ran
                continue
            r = runner.try_mutant(m, a.timeout_factor, a.min_timeout)
            report(r)
            if r["status"] in ("killed", "survived"):
                valid += 1
        if a.out:
            write_sample(a.out, [r for r in results if r["status"] in ("killed", "survived")])
    print("\n".join(summary(results, header)))


if __name__ == "__main__":
    main()
