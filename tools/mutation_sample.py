"""The mutation sampler behind tools/mutation-sample.sh (see there)."""
import argparse
import json
import pathlib
import random
import re
import shutil
import signal
import subprocess
import sys

# Which test folders cover a folder of src/ (a test's ctest label is its folder's name).
COVERING = {
    "src/gif": ["gif", "cli", "tasks"],
    "src/colour": ["colour", "tasks"],
    "src/effects": ["effects", "tasks"],
    "src/document": ["document", "colour", "effects"],
    "src/io": ["io", "tasks"],
    "src/banner": ["banner"],
    "src/dialogs": ["dialogs", "shell"],
    "src/shell": ["shell", "dialogs"],
}

# Mutants judged equivalent by reading the code: one per line, tab-separated: the file, the
# line number, the mutation, the line before and after it (stripped) and why no test can
# tell it. Like those whose object code is the original's, they are not counted and another
# is drawn instead. An entry whose line has moved or changed no longer matches: the mutant
# is then counted until judged again.
JUDGED_EQUIVALENT = pathlib.Path(__file__).with_name("mutation-equivalent.tsv")

COMPARISONS = [("<=", "<"), (">=", ">"), ("==", "!="), ("!=", "=="), ("<", "<="), (">", ">=")]


def labels_for(path):
    for folder, labels in COVERING.items():
        if str(path).startswith(folder):
            return labels
    return ["tasks"]


def is_code(line):
    s = line.strip()
    return s and not s.startswith(("//", "#", "*", "/*")) and '"' not in s


def candidate_mutations(lines):
    """(line index, description, new line) for every small mutation of the file."""
    found = []
    for i, line in enumerate(lines):
        if not is_code(line):
            continue
        code = line.split("//")[0]
        for old, new in COMPARISONS:
            # A comparison surrounded by spaces: not a shift, template or arrow.
            for m in re.finditer(r"(?<=[\w)\]]) " + re.escape(old) + r" (?=[\w(!-])", code):
                found.append((i, f"'{old}' -> '{new}'",
                              line[:m.start()] + f" {new} " + line[m.end():]))
        for m in re.finditer(r"(?<![\w.])(\d+)(?![\w.])", code):
            value = int(m.group(1))
            found.append((i, f"{value} -> {value + 1}",
                          line[:m.start()] + str(value + 1) + line[m.end():]))
        s = code.strip()
        # A statement on one line that changes something: an assignment or a call.
        if (s.endswith(";") and not s.startswith(("return", "break", "continue", "case"))
                and ("=" in s or "(" in s) and not re.match(r"^(const |auto |static |[\w:<>]+[ &*]+\w+ *[=({])", s)):
            indent = line[:len(line) - len(line.lstrip())]
            found.append((i, "statement dropped", indent + ";\n"))
    return found


def judged_equivalent():
    """(file, line number, mutation, line before, line after) -> why, for each mutant
    judged equivalent by hand."""
    judged = {}
    if JUDGED_EQUIVALENT.exists():
        for line in JUDGED_EQUIVALENT.read_text().splitlines():
            if line.strip() and not line.startswith("#"):
                path, number, what, before, after, why = line.split("\t")
                judged[(path, int(number), what, before, after)] = why
    return judged


def covering_targets(build, labels):
    """The test programs of the labels (and the CLI they run), so that no stale binary runs."""
    listed = subprocess.run(["cmake", "--build", build, "--target", "help"],
                            capture_output=True, text=True).stdout
    names = {line.split(":")[0].strip() for line in listed.splitlines()}
    targets = ["velmora-cli"]
    for label in labels:
        targets += [t for t in (f"test_{label}", f"test_{label}_threading") if t in names]
    return targets


def failing_tests(build, label):
    """Tests that fail before any mutation: they cannot tell a mutant, so they are left out."""
    result = subprocess.run(["ctest", "--test-dir", build, "-j2", "-L", label, "--timeout", "300"],
                            capture_output=True, text=True)
    failed = []
    for line in result.stdout.splitlines():
        m = re.match(r"\s*\d+ - (.+) \([^()]*\)$", line)
        if m and "The following tests FAILED" in result.stdout:
            failed.append(m.group(1))
    return failed


def run(command, timeout=None, env=None):
    try:
        return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout, env=env).returncode
    except subprocess.TimeoutExpired:
        return -1


def failed_tests(command):
    """The names of the tests that failed (["(timeout or crash)"] when ctest itself failed)."""
    try:
        result = subprocess.run(command, capture_output=True, text=True, timeout=1800)
    except subprocess.TimeoutExpired:
        return ["(ctest timed out)"]
    if result.returncode == 0:
        return []
    tail = result.stdout.split("The following tests FAILED:")[-1]
    names = [m.group(1) for m in re.finditer(r"^\s*\d+ - (.+?) \([^()]*\)$", tail, re.M)]
    return names or ["(ctest failed)"]


def object_files(build):
    """Source path -> the object files compiled from it (relative to the build folder)."""
    entries = json.loads((pathlib.Path(build) / "compile_commands.json").read_text())
    objects = {}
    for entry in entries:
        m = re.search(r"(?:^|\s)-o\s+(\S+)", entry.get("command", ""))
        if m:
            objects.setdefault(pathlib.Path(entry["file"]).resolve(), []).append(m.group(1))
    return objects


class ObjectCode:
    """Tells mutants whose compiled code is the original's (trivially equivalent ones).

    The reference is the object the full build made from the unmutated file. A compiler
    that is not deterministic can only make a mutant look different, never the same, so
    the comparison errs on the side of counting the mutant."""

    def __init__(self, build):
        self.build = build
        self.objects = object_files(build)
        self.reference = {}  # path -> [bytes of each object], or None when not comparable

    def _compile(self, targets):
        return run(["ninja", "-C", self.build, *targets]) == 0

    def _read(self, targets):
        return [(pathlib.Path(self.build) / t).read_bytes() for t in targets]

    def _reference(self, path):
        key = path.resolve()
        if key not in self.reference:
            targets = self.objects.get(key, [])
            self.reference[key] = self._read(targets) if targets and self._compile(targets) else None
        return self.reference[key]

    def prepare(self, path):
        """Call with the file unmutated."""
        self._reference(path)

    def compare(self, path):
        """With the file mutated: 'same', 'different', 'does not build' or None (unknown)."""
        reference = self.reference.get(path.resolve())
        if reference is None:
            return None
        targets = self.objects[path.resolve()]
        if not self._compile(targets):
            return "does not build"
        return "same" if self._read(targets) == reference else "different"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("-n", type=int, default=60)
    parser.add_argument("-s", "--seed", type=int, default=1)
    parser.add_argument("--from", dest="first", type=int, default=1,
                        help="start at this mutant of the sample (to resume a stopped run)")
    parser.add_argument("--again", default="",
                        help="comma-separated mutants of the recorded sample to run again "
                             "(after the tests changed); the others keep their records")
    parser.add_argument("folders", nargs="*",
                        default=["src/gif", "src/colour", "src/effects/renderers"])
    args = parser.parse_args()
    rng = random.Random(args.seed)

    files = sorted(p for f in args.folders for p in pathlib.Path(f).rglob("*.cpp"))
    sites = []
    for path in files:
        lines = path.read_text().splitlines(keepends=True)
        sites += [(path, *m) for m in candidate_mutations(lines)]
    if not sites:
        sys.exit("no mutation sites found")
    # The first N drawn are the same as in earlier samples of the seed; mutants that do not
    # build or compile to the original's code are replaced by more drawn in a fixed order.
    chosen = rng.sample(sites, min(args.n, len(sites)))
    taken = set(chosen)
    rest = [site for site in sites if site not in taken]
    rng.shuffle(rest)
    drawn = chosen + rest

    # Outcomes are kept in the build folder so that a resumed run can tell the whole sample.
    record_path = pathlib.Path(args.build) / "mutation-sample.jsonl"
    sample_key = {"seed": args.seed, "n": args.n, "folders": sorted(args.folders)}
    outcomes = {}
    again = [int(k) for k in args.again.split(",") if k]
    if (args.first > 1 or again) and record_path.exists():
        for line in record_path.read_text().splitlines():
            entry = json.loads(line)
            if entry["sample"] == sample_key and (again or entry["number"] < args.first):
                outcomes[entry["number"]] = (entry["outcome"], entry["where"])
        missing = [k for k in range(1, args.first) if k not in outcomes]
        if missing:
            print(f"no record of mutants {missing[0]}..{missing[-1]}: left out of the summary",
                  flush=True)
    elif record_path.exists():
        record_path.unlink()

    def record(number, outcome, where, killed_by=None):
        outcomes[number] = (outcome, where)
        entry = {"sample": sample_key, "number": number, "outcome": outcome, "where": where}
        if killed_by:
            entry["killed_by"] = killed_by
        with record_path.open("a") as f:
            f.write(json.dumps(entry) + "\n")

    def counted():
        return sum(1 for outcome, _ in outcomes.values() if outcome in ("killed", "survived"))

    current = {}  # path -> original text, while mutated

    def restore(*_):
        for path, text in current.items():
            path.write_text(text)
        current.clear()

    signal.signal(signal.SIGINT, lambda *a: (restore(), sys.exit(130)))
    signal.signal(signal.SIGTERM, lambda *a: (restore(), sys.exit(143)))

    failing = {}
    baseline = {}

    def ctest_exclusions(labels):
        """The ctest arguments leaving out the labels' tests that fail before any mutation
        (found once per label: the slow end-to-end label covers every folder)."""
        label = "^(threading-)?(" + "|".join(labels) + ")$"
        if label not in baseline:
            run(["cmake", "--build", args.build, "-j2", "--target",
                 *covering_targets(args.build, labels)])
            for one in labels:
                if one not in failing:
                    failing[one] = failing_tests(args.build, f"^(threading-)?{one}$")
                    if failing[one]:
                        print(f"left out, failing before any mutation: {', '.join(failing[one])}",
                              flush=True)
            failed = [name for one in labels for name in failing[one]]
            escaped = [re.sub(r"([][.*+?^$(){}|\\])", r"\\\1", name) for name in failed]
            baseline[label] = ["-E", "^(" + "|".join(escaped) + ")$"] if failed else []
        return baseline[label]

    def numbers():
        """The mutants to run: those asked again, or the next until N are counted."""
        if again:
            yield from again
            return
        number = args.first - 1
        while counted() < args.n and number < len(drawn):
            number += 1
            yield number

    judged = judged_equivalent()
    code = ObjectCode(args.build)
    for number in numbers():
        path, index, what, new_line = drawn[number - 1]
        where = f"{path}:{index + 1} {what}"
        tag = f"[{number}, {counted() + 1}/{args.n}]"
        before = path.read_text().splitlines()[index].strip()
        why = judged.get((str(path), index + 1, what, before, new_line.strip()))
        if why:
            record(number, "judged", f"{where}: {why}")
            print(f"[{number}] judged equivalent: {where}: {why}", flush=True)
            continue
        labels = labels_for(path)
        exclusions = ctest_exclusions(labels)
        code.prepare(path)
        original = path.read_text()
        lines = original.splitlines(keepends=True)
        lines[index] = new_line
        current[path] = original
        try:
            path.write_text("".join(lines))
            compared = code.compare(path)
            if compared == "same":
                record(number, "equivalent", where)
                print(f"[{number}] equivalent (same object code): {where}", flush=True)
                continue
            # The folder's own tests first (fast), the end-to-end ones only if they all pass;
            # each label's programs are linked only when its turn comes.
            killed_by = []
            built = compared != "does not build"
            for one in labels:
                built = built and run(["cmake", "--build", args.build, "-j2", "--target",
                                       *covering_targets(args.build, [one])]) == 0
                if not built:
                    break
                killed_by = failed_tests(["ctest", "--test-dir", args.build, "-j2", "-L",
                                          f"^(threading-)?{one}$", *exclusions, "--stop-on-failure",
                                          "--timeout", "300"])
                if killed_by:
                    break
            if not built:
                record(number, "invalid", where)
                print(f"[{number}] does not build: {where}", flush=True)
                continue
            if killed_by:
                # Which tests saw it: after the suite changes, only mutants whose killers are
                # gone need running again.
                record(number, "killed", where, killed_by)
                print(f"{tag} killed: {where}", flush=True)
            else:
                record(number, "survived", where)
                print(f"{tag} SURVIVED: {where}", flush=True)
        finally:
            restore()
    # Leave the build matching the restored sources.
    run(["cmake", "--build", args.build, "-j2"])
    of = lambda kind: [where for _, (outcome, where) in sorted(outcomes.items()) if outcome == kind]
    killed, survived = len(of("killed")), of("survived")
    valid = killed + len(survived)
    rate = 100.0 * killed / valid if valid else 0.0
    print(f"\n{killed} of {valid} counted mutants killed ({rate:.0f}%); not counted: "
          f"{len(of('equivalent'))} equivalent (same object code), "
          f"{len(of('judged'))} judged equivalent, {len(of('invalid'))} did not build")
    for where in of("equivalent"):
        print(f"  equivalent: {where}")
    for where in of("judged"):
        print(f"  judged equivalent: {where}")
    for where in survived:
        print(f"  survived: {where}")


if __name__ == "__main__":
    main()
