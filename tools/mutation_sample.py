"""The mutation sampler behind tools/mutation-sample.sh (see there)."""
import argparse
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


def run(command, timeout=None):
    try:
        return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("-n", type=int, default=60)
    parser.add_argument("-s", "--seed", type=int, default=1)
    parser.add_argument("--from", dest="first", type=int, default=1,
                        help="start at this mutant of the sample (to resume a stopped run)")
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
    chosen = rng.sample(sites, min(args.n, len(sites)))
    numbered = list(enumerate(chosen, 1))[args.first - 1:]

    current = {}  # path -> original text, while mutated

    def restore(*_):
        for path, text in current.items():
            path.write_text(text)
        current.clear()

    signal.signal(signal.SIGINT, lambda *a: (restore(), sys.exit(130)))
    signal.signal(signal.SIGTERM, lambda *a: (restore(), sys.exit(143)))

    # Per label, the tests failing before any mutation (each label once: the slow
    # end-to-end label covers every folder), and per folder the ctest arguments that
    # leave them out.
    failing = {}
    baseline = {}
    for path in sorted({site[0] for _, site in numbered}):
        labels = labels_for(path)
        label = "^(threading-)?(" + "|".join(labels) + ")$"
        if label in baseline:
            continue
        run(["cmake", "--build", args.build, "-j2", "--target", *covering_targets(args.build, labels)])
        for one in labels:
            if one not in failing:
                failing[one] = failing_tests(args.build, f"^(threading-)?{one}$")
                if failing[one]:
                    print(f"left out, failing before any mutation: {', '.join(failing[one])}",
                          flush=True)
        failed = [name for one in labels for name in failing[one]]
        escaped = [re.sub(r"([][.*+?^$(){}|\\])", r"\\\1", name) for name in failed]
        baseline[label] = ["-E", "^(" + "|".join(escaped) + ")$"] if failed else []

    killed, survived, invalid = 0, [], 0
    for number, (path, index, what, new_line) in numbered:
        original = path.read_text()
        lines = original.splitlines(keepends=True)
        lines[index] = new_line
        current[path] = original
        try:
            path.write_text("".join(lines))
            where = f"{path}:{index + 1} {what}"
            labels = labels_for(path)
            targets = covering_targets(args.build, labels)
            if run(["cmake", "--build", args.build, "-j2", "--target", *targets]) != 0:
                invalid += 1
                print(f"[{number}/{len(chosen)}] does not build: {where}", flush=True)
                continue
            label = "^(threading-)?(" + "|".join(labels) + ")$"
            # The folder's own tests first (fast), the end-to-end ones only if they all pass.
            status = 0
            for one in labels:
                status = run(["ctest", "--test-dir", args.build, "-j2", "-L", f"^(threading-)?{one}$",
                              *baseline[label], "--stop-on-failure", "--timeout", "300"],
                             timeout=1800)
                if status != 0:
                    break
            if status != 0:
                killed += 1
                print(f"[{number}/{len(chosen)}] killed: {where}", flush=True)
            else:
                survived.append(where)
                print(f"[{number}/{len(chosen)}] SURVIVED: {where}", flush=True)
        finally:
            restore()
    # Leave the build matching the restored sources.
    run(["cmake", "--build", args.build, "-j2"])
    valid = killed + len(survived)
    rate = 100.0 * killed / valid if valid else 0.0
    print(f"\n{killed} of {valid} mutants killed ({rate:.0f}%), {invalid} did not build")
    for where in survived:
        print(f"  survived: {where}")


if __name__ == "__main__":
    main()
