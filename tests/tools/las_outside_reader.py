#!/usr/bin/env python3
"""What a recording exports to LAS, read by a reader that shares no code with the
program: kest-tool records a depth run on the simulator, converts it to LAS at the
recording step, and every curve read back from the LAS text must equal
`kest-tool dump --json` of the recording at the same depths, offset tracks included.
Then a LAS file with gaps (NULL -999.25): dump shows null there, and the LAS written
from it holds its NULL there.

Usage: las_outside_reader.py KEST_TOOL"""
import json
import os
import subprocess
import sys
import tempfile


def run(tool, *args):
    done = subprocess.run([tool, *args], capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"kest-tool {' '.join(args)} failed: {done.stderr}")
    return done.stdout


def read_las(path):
    """A plain LAS 2.0 reader: well items, curve mnemonics, data rows."""
    with open(path, "rb") as f:
        text = f.read().decode("cp866")
    section, well, curves, rows = None, {}, [], []
    for raw in text.splitlines():
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        if line.startswith("~"):
            section = line[1].upper()
            continue
        if section == "W":
            mnemonic, rest = line.split(".", 1)
            value = rest.split(":", 1)[0].split(None, 1)
            well[mnemonic.strip()] = value[-1].strip() if value else ""
        elif section == "C":
            curves.append(line.split(".", 1)[0].strip())
        elif section == "A":
            rows.append([float(v) for v in line.split()])
    return well, curves, rows


def dump(tool, path, *extra):
    return json.loads(run(tool, "dump", "--json", path, *extra))


def value_at(track, depth_mm):
    offset = depth_mm - track["origin"]
    if offset < 0 or offset % track["step"] != 0:
        return None
    i = offset // track["step"]
    return track["samples"][i] if i < track["count"] else None


def check_recording(tool, root):
    out = run(tool, "record", "--root", root, "--mode", "down", "--step", "1",
              "--from", "1000", "--to", "1004", "--speed", "3600")
    ls = out.strip().splitlines()[-1]
    las = os.path.join(root, "run.las")
    run(tool, "convert", ls, las, "--las-step", "1", "--root", root)
    log = dump(tool, ls, "--root", root)
    well, curves, rows = read_las(las)
    step_mm = round(float(well["STEP"]) * 1000)
    assert step_mm == 10, well["STEP"]
    null = float(well["NULL"])
    tracks = log["tracks"]
    # The LAS curves are DEPTH (the row) and then the tracks after the first, in order.
    assert len(curves) == len(tracks), (curves, [t["parameter"] for t in tracks])
    offsets = {t["parameter"]: t["origin"] - tracks[0]["origin"] for t in tracks}
    assert any(offsets.values()), "no track of the recording has a sensor offset"
    compared = 0
    for row in rows:
        depth_mm = round(row[0] * 1000)
        for k, track in enumerate(tracks[1:], start=1):
            want = value_at(track, depth_mm)
            have = row[k]
            if want is None:
                assert have == null, (track["parameter"], depth_mm, have)
            else:
                assert abs(have - want) <= 0.0005 + 1e-6 * abs(want), (
                    track["parameter"], depth_mm, have, want)
                compared += 1
    # Every sample of every track is in the file.
    expected = sum(sum(v is not None for v in t["samples"]) for t in tracks[1:])
    assert compared == expected, (compared, expected)
    print(f"recording: {len(rows)} rows, {compared} samples equal; offsets {offsets}")


def check_gaps(tool, root):
    las = os.path.join(root, "gaps.las")
    with open(las, "w", newline="\r\n") as f:
        f.write("~V\nVERS. 2.0 :\nWRAP. NO :\n~W\nSTRT.M 100.0 :\nSTOP.M 100.4 :\n"
                "STEP.M 0.1 :\nNULL. -999.25 :\n~C\nDEPT.M :\nGR.GAPI :\n~A\n"
                "100.0 12.5\n100.1 -999.25\n100.2 -999.25\n100.3 0\n100.4 7.25\n")
    log = dump(tool, las, "--root", root)
    samples = log["tracks"][1]["samples"]
    assert samples == [12.5, None, None, 0, 7.25], samples
    out = os.path.join(root, "gaps_out.las")
    run(tool, "convert", las, out, "--las-step", "10", "--root", root)
    well, _, rows = read_las(out)
    null = float(well["NULL"])
    assert [r[1] for r in rows] == [12.5, null, null, 0, 7.25], rows
    print("gaps: null in dump, NULL in the LAS written")


def main():
    tool = sys.argv[1]
    with tempfile.TemporaryDirectory(prefix="kest-las-") as root:
        check_recording(tool, root)
        check_gaps(tool, root)


if __name__ == "__main__":
    main()
