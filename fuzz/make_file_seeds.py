#!/usr/bin/env python3
"""Seeds for the file readers' fuzz targets made from real files: variations of
LAS files from the field (extreme and malformed numbers in every header field,
long lines, mixed line ends, other code pages, wrapped, tab-separated, LAS 1.2)
and mutations of LS and TMP files written by KEST.

    fuzz/make_file_seeds.py LAS_DIR [LS_OR_TMP_FILE ...] [--kest-tool PATH]

With --kest-tool, the LS and TMP files are made here too: every LAS file of LAS_DIR
converted to LS, and crash files of a depth and a time run (`kest-tool synth`).
Writes into fuzz/corpus/las, fuzz/corpus/ls and fuzz/corpus/tmp (names start with
"v-"; files of the same name are replaced). Deterministic: the same inputs give
the same seeds.
"""
import os
import random
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
MAX = 60000  # under the fuzzers' -max_len

EXTREMES = [
    "-4444444444444444444444444444440.1250", "4444444444444444444444444444440.1250", "1e400", "-1e400",
    "1e-400", "nan", "-inf", "2147483.647", "2147483.648", "-2147483.648", "0", "-0", "0.0004", "",
    "1.2.3", "--1", "+1", "1,5", "9" * 400, "0x10", "1e38", "3.5e38", "-999.25", "999.25",
]
FIELDS = ["STRT", "STOP", "STEP", "NULL", "VERS", "WRAP", "COMP", "SRVC"]


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "v-" + name), "wb") as f:
        f.write(data[:MAX])


def short(text, rows=6):
    """The header and the first rows of the data."""
    head, sep, data = text.partition(b"~A")
    if not sep:
        return text
    lines = data.split(b"\n")
    return head + sep + b"\n".join(lines[: rows + 1]) + b"\n"


def set_value(text, mnemonic, value):
    pattern = re.compile(rb"(?m)^(\s*" + mnemonic.encode() + rb"\s*\.[^\s:]*)([^:\r\n]*)(:)")
    return pattern.sub(lambda m: m.group(1) + b" " + value.encode() + b" " + m.group(3), text, count=1)


def las_seeds(las_dir):
    files = sorted(f for f in os.listdir(las_dir) if f.lower().endswith(".las"))
    rng = random.Random(23)
    for f in files:
        text = short(open(os.path.join(las_dir, f), "rb").read())
        base = f[:-4]
        put("las", base + ".las", text)
        if b"3.0" in text[:400]:
            # LAS 3.0 is refused at its version line; as "2.0" its sections reach the reader.
            put("las", base + "-as20.las", re.sub(rb"(?m)^(\s*VERS\s*\.\s*)[0-9.]+", rb"\g<1>2.0", text))
            continue
        # Extreme and malformed numbers, one header field at a time.
        for field in FIELDS:
            for k, value in enumerate(rng.sample(EXTREMES, 3)):
                put("las", "%s-%s-%d.las" % (base, field.lower(), k), set_value(text, field, value))
        # Line ends: LF only, CR only, mixed.
        lf = text.replace(b"\r\n", b"\n")
        put("las", base + "-lf.las", lf)
        put("las", base + "-cr.las", lf.replace(b"\n", b"\r"))
        mixed = b"".join(line + rng.choice([b"\r\n", b"\n", b"\r", b"\n\r"]) for line in lf.split(b"\n"))
        put("las", base + "-mixed.las", mixed)
        # Tabs for blanks in the data, and everywhere.
        head, sep, data = lf.partition(b"~A")
        put("las", base + "-tabs.las", head + sep + re.sub(rb" +", b"\t", data))
        put("las", base + "-alltabs.las", re.sub(rb" +", b"\t", lf))
        # Wrapped: the version section says YES and rows break every three values.
        wrapped = re.sub(rb"(?mi)^(\s*WRAP\s*\.\s*)NO", rb"\1YES", head)
        rows = []
        for line in data.split(b"\n")[1:]:
            fields = line.split()
            rows.append(b"\n".join(b" ".join(fields[i : i + 3]) for i in range(0, len(fields), 3)))
        put("las", base + "-wrapped.las", wrapped + sep + b"\n" + b"\n".join(rows) + b"\n")
        # LAS 1.2 and 3.0 headers on the same body.
        put("las", base + "-v12.las", re.sub(rb"(?m)^(\s*VERS\s*\.\s*)[0-9.]+", rb"\g<1>1.2", lf))
        put("las", base + "-v30.las", re.sub(rb"(?m)^(\s*VERS\s*\.\s*)[0-9.]+", rb"\g<1>3.0", lf))
        # Other code pages in the header: cp1251 and UTF-8 Cyrillic, and stray bytes.
        ru = "Скважина №1 \"Южная\" Ёё".encode
        put("las", base + "-cp1251.las", set_value(lf, "COMP", "").replace(b"COMP", b"COMP " + ru("cp1251"), 1))
        put("las", base + "-utf8.las", lf.replace(b"~C", b"# " + ru("utf-8") + b"\n~C", 1))
        put("las", base + "-cp866.las", lf.replace(b"~W", b"~W\nCOMP. " + ru("cp866") + b" : x", 1))
        put("las", base + "-eof.las", lf[: len(lf) // 2] + b"\x1a" + lf[len(lf) // 2 :])
        # Long lines: a long comment, a long header value, a data row of many fields.
        if f not in ("sample_2.0.las", "6038187_v1.2.las"):
            continue
        put("las", base + "-longcomment.las", lf.replace(b"~C", b"#" + b"-" * 20000 + b"\n~C", 1))
        put("las", base + "-longvalue.las", set_value(lf, "COMP", "A" * 20000))
        put("las", base + "-longrow.las", head + sep + b"\n" + b" 1.5" * 8000 + b"\n")
    for f in files:
        lf = short(open(os.path.join(las_dir, f), "rb").read()).replace(b"\r\n", b"\n")
        base = f[:-4]
        # Cut at random places, and a few bytes changed.
        for k in range(3):
            put("las", "%s-cut%d.las" % (base, k), lf[: rng.randrange(1, len(lf))])
            b = bytearray(lf)
            for _ in range(4):
                b[rng.randrange(len(b))] = rng.randrange(256)
            put("las", "%s-flip%d.las" % (base, k), bytes(b))


def binary_seeds(target, path, rng):
    data = open(path, "rb").read()
    base = os.path.basename(path).replace(".", "-")
    put(target, base, data)
    for k in range(6):
        put(target, "%s-cut%d" % (base, k), data[: rng.randrange(1, len(data))])
    for k in range(6):
        b = bytearray(data)
        for _ in range(1 + k):
            b[rng.randrange(len(b))] = rng.randrange(256)
        put(target, "%s-flip%d" % (base, k), bytes(b))
    # Counts and lengths at their extremes: every 4-byte field in turn, where it fits.
    for k, pos in enumerate(range(4, min(len(data) - 4, 200), 17)):
        for value in (b"\xff\xff\xff\x7f", b"\x00\x00\x00\x80", b"\xff\xff\xff\xff"):
            b = bytearray(data)
            b[pos : pos + 4] = value
            put(target, "%s-int%d-%s" % (base, pos, value.hex()), bytes(b))


def written_by_kest(tool, las_dir, out_dir):
    """LS files converted from the LAS files and two crash files, made by kest-tool."""
    made = []
    for name in sorted(os.listdir(las_dir)):
        if not name.lower().endswith(".las"):
            continue
        out = os.path.join(out_dir, os.path.splitext(name)[0].replace(".", "-") + ".ls")
        # A file the reader refuses makes no seed; its LAS variations still do.
        if subprocess.run([tool, "convert", os.path.join(las_dir, name), out],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
            made.append(out)
    for run, extra in (("depth", []), ("time", ["--time"])):
        out = os.path.join(out_dir, "synth-%s.tmp" % run)
        subprocess.run([tool, "synth", out, "--rows", "40", "--every", "10"] + extra,
                       check=True, stdout=subprocess.DEVNULL)
        made.append(out)
    return made


def main():
    args = sys.argv[1:]
    tool = None
    if "--kest-tool" in args:
        at = args.index("--kest-tool")
        tool = args[at + 1]
        del args[at : at + 2]
    las_seeds(args[0])
    rng = random.Random(42)
    with tempfile.TemporaryDirectory() as scratch:
        files = args[1:] + (written_by_kest(tool, args[0], scratch) if tool else [])
        for path in files:
            binary_seeds("tmp" if path.lower().endswith(".tmp") else "ls", path, rng)


if __name__ == "__main__":
    main()
