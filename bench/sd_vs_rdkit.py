#!/usr/bin/python3
"""SD files through `qrtz info --json` and `qrtz convert` beside RDKit's SDMolSupplier.

Builds SD files of 20,000 and 200,000 records by repeating the records of the SD files that
Debian's rdkit-data package ships, then times, in one run and side by side, each reader over
each file (median of --repeat runs) and takes its peak resident memory from the kernel.

    /usr/bin/python3 bench/sd_vs_rdkit.py build-bench/tools/qrtz/qrtz [--repeat 3]

RDKit comes from Debian's python3-rdkit, so this runs with /usr/bin/python3.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

RDKIT_SOURCES = "/usr/share/RDKit"
# Times are CPU seconds (user and system), which other work on a shared machine disturbs less
# than wall time. The RDKit loop times itself, so starting Python and importing RDKit are left
# out of its figure; qrtz's figures are its whole process.
RDKIT_LOOP = """
import sys, time
from rdkit import Chem, RDLogger
RDLogger.DisableLog("rdApp.*")
start = time.process_time()
supplier = Chem.SDMolSupplier(sys.argv[1], sanitize=sys.argv[2] == "1")
read = sum(1 for mol in supplier if mol is not None)
print(read, time.process_time() - start)
"""


def source_records():
    """Every record of the rdkit-data SD files, each ending with its $$$$ line."""
    listing = subprocess.run(["dpkg", "-L", "rdkit-data"], capture_output=True, text=True,
                             check=True).stdout.split()
    records = []
    for path in sorted(p for p in listing if p.endswith(".sdf")):
        record = []
        with open(path, encoding="latin-1", newline="") as f:
            for line in f:
                record.append(line if line.endswith("\n") else line + "\n")
                if line.startswith("$$$$"):
                    records.append("".join(record))
                    record = []
    if not records:
        sys.exit("no SD records: install rdkit-data (scripts/setup.sh bench)")
    return records


def write_file(path, records, count):
    with open(path, "w", encoding="latin-1", newline="") as f:
        for i in range(count):
            f.write(records[i % len(records)])
    return os.path.getsize(path)


def measured(command, repeat, work):
    """Median CPU seconds and peak resident MB over repeat runs of command, and what the last
    run printed (only its record count and its last bytes are kept).

    /usr/bin/time reports the peak: a child of this script would inherit the script's own high
    mark through fork and exec."""
    times, peaks = [], []
    report = os.path.join(work, "time.txt")
    for _ in range(repeat):
        child = subprocess.Popen(["/usr/bin/time", "-f", "%U %S %M", "-o", report] + command,
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        records, tail = 0, b""
        while True:
            chunk = child.stdout.read(1 << 20)
            if not chunk:
                break
            joined = tail + chunk
            records += joined.count(b'"record":') - tail.count(b'"record":')
            tail = joined[-64:]
        if child.wait() != 0:
            sys.exit(f"{' '.join(command[:2])} failed with status {child.returncode}")
        with open(report) as f:
            user, system, peak_kb = f.read().split()[-3:]
        seconds = float(user) + float(system)
        if command[0] == "/usr/bin/python3":
            seconds = float(tail.split()[-1])
        times.append(seconds)
        peaks.append(int(peak_kb) / 1024.0)
    return statistics.median(times), max(peaks), records, tail


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("qrtz", help="the qrtz program to measure")
    parser.add_argument("--baseline",
                        help="another qrtz program (an older build), run over the first file only")
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--records", type=int, nargs="+", default=[20000, 200000])
    args = parser.parse_args()

    records = source_records()
    work = tempfile.mkdtemp(prefix="qrtz-sd-bench-")
    try:
        rows = []
        for count in args.records:
            sd = os.path.join(work, f"bench-{count}.sdf")
            size = write_file(sd, records, count)
            out_sd = os.path.join(work, "out.sdf")
            cases = [
                ("qrtz info --json", [args.qrtz, "info", "--json", sd]),
                ("qrtz convert .sdf -> .sdf", [args.qrtz, "convert", sd, out_sd]),
            ]
            if args.baseline and count == args.records[0]:
                cases += [
                    ("baseline info --json", [args.baseline, "info", "--json", sd]),
                    ("baseline convert .sdf -> .sdf", [args.baseline, "convert", sd, out_sd]),
                ]
            cases += [
                ("RDKit SDMolSupplier, unsanitized", ["/usr/bin/python3", "-c", RDKIT_LOOP, sd, "0"]),
                ("RDKit SDMolSupplier, sanitized", ["/usr/bin/python3", "-c", RDKIT_LOOP, sd, "1"]),
            ]
            results = {}
            for name, command in cases:
                seconds, peak, records_seen, tail = measured(command, args.repeat, work)
                results[name] = (seconds, peak)
                note = ""
                if name.startswith("RDKit"):
                    note = f"{int(tail.split()[0])} molecules"
                elif "info" in name:  # JSON objects, one per record
                    note = f"{records_seen} records"
                rows.append((count, size, name, seconds, peak, note))
            base = results["RDKit SDMolSupplier, unsanitized"][0]
            rows.append((count, size, "(ratio to RDKit unsanitized)", None, None,
                         ", ".join(f"{n.split(' .')[0]} {base / results[n][0]:.2f}x"
                                   for n in results if not n.startswith("RDKit"))))
        print(f"{'records':>8} {'MB':>7}  {'reader':<36} {'CPU s':>7} {'records/s':>10} {'peak MB':>8}  note")
        for count, size, name, seconds, peak, note in rows:
            if seconds is None:
                print(f"{count:>8} {size / 1e6:>7.1f}  {name:<36} {'':>7} {'':>10} {'':>8}  {note}")
            else:
                print(f"{count:>8} {size / 1e6:>7.1f}  {name:<36} {seconds:>7.2f} "
                      f"{count / seconds:>10.0f} {peak:>8.1f}  {note}")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
