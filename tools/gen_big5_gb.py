#!/usr/bin/env python3
"""Generate the Big5 -> GB2312 conversion table used by the transport layer.

    python3 tools/gen_big5_gb.py --out src/transport/big5_gb_table.inc [--report]

The table has 94 rows (Big5 lead bytes 0xA1..0xFE) of 191 cells (trail bytes
0x40..0xFE); each cell holds the two bytes of a GB2312 (EUC-CN) code, in the
order they are written out.  Anything without a GB2312 counterpart becomes
0xA1 0xA1, the GB2312 ideographic space.

Inputs (Debian packages, see tools/install_codec_inputs.sh):
  * Python's own big5 / cp950 / gb2312 / gbk codecs: the two code sets;
  * OpenCC's TSCharacters and TWVariantsRev dictionaries (libopencc-data),
    dumped to text with opencc_dict (opencc): traditional -> simplified;
  * glibc iconv BIG5 -> GB2312: only a cross-check in the report.

How a Big5 cell is mapped, first hit wins:
  1. the character itself, if GB2312 has it;
  2. OpenCC: its simplified forms (TSCharacters, in dictionary order), then
     its Taiwan standard forms (TWVariantsRev) and their simplified forms,
     breadth first, a few steps deep; the first form GB2312 has is taken;
  3. symbols only: a short explicit equivalence list, then the compatibility
     form (NFKC) of the symbol, accepted only if it is one punctuation or
     symbol character (never a letter, digit or ideograph: A1C0, the circled
     ideograph "correct", must stay unmapped), with ASCII results moved to
     their full-width forms, which is how GB2312 carries them.
Each Big5 cell is read with Python's big5 codec and, where it differs or
big5 leaves the cell empty, also with cp950 (e.g. the F9D6..F9FE extension);
a compatibility ideograph also counts as its canonical (NFC) unified form.
Rows 0xFA..0xFE are user-defined and always map to 0xA1 0xA1.

Exit status: 0 ok, 1 a required pair failed, 77 inputs not installed.
The output depends only on the inputs: two runs give identical bytes.
"""

import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unicodedata

EXIT_FAILED = 1
EXIT_INPUTS_MISSING = 77

LEAD_FIRST, LEAD_LAST = 0xA1, 0xFE      # 94 rows
TRAIL_FIRST, TRAIL_LAST = 0x40, 0xFE    # 191 columns
USER_DEFINED_FIRST_LEAD = 0xFA
FILL = b"\xa1\xa1"                      # GB2312 ideographic space
ENTRIES_PER_LINE = 8                    # 16 bytes per line

# Pairs the table must reproduce; the build fails otherwise.
REQUIRED_PAIRS = [
    (0xC5E9, 0xCCE5),   # traditional -> simplified
    (0xB0EA, 0xB9FA),
    (0xAAF9, 0xC3C5),
    (0xA564, 0xBFA8),   # same character in both sets
    (0xA152, 0xA3BA),   # small colon -> full-width colon
    (0xA1C0, 0xA1A1),   # circled ideograph: no GB2312 symbol, not an ideograph
]

# Symbols GB2312 lacks, mapped to the GB2312 symbol of the same use.
# Deliberately short: only pairs where a reader sees the same thing.
SYMBOL_EQUIVALENTS = {
    "\u2022": "\u00b7",   # BULLET -> MIDDLE DOT
    "\u2027": "\u00b7",   # HYPHENATION POINT -> MIDDLE DOT
    "\u2013": "\uff0d",   # EN DASH -> FULLWIDTH HYPHEN-MINUS
    "\u203e": "\uffe3",   # OVERLINE -> FULLWIDTH MACRON
    "\u00af": "\uffe3",   # MACRON -> FULLWIDTH MACRON
    "\u2223": "\uff5c",   # DIVIDES -> FULLWIDTH VERTICAL LINE
    "\u2266": "\u2264",   # LESS-THAN OVER EQUAL TO -> LESS-THAN OR EQUAL TO
    "\u2267": "\u2265",   # GREATER-THAN OVER EQUAL TO -> GREATER-THAN OR EQUAL TO
    "\u2252": "\u2248",   # APPROXIMATELY EQUAL TO OR THE IMAGE OF -> ALMOST EQUAL TO
    "\u301d": "\u201c",   # REVERSED DOUBLE PRIME QUOTATION MARK -> LEFT DOUBLE QUOTATION MARK
    "\u301e": "\u201d",   # DOUBLE PRIME QUOTATION MARK -> RIGHT DOUBLE QUOTATION MARK
    "\ufe30": "\u2236",   # VERTICAL TWO DOT LEADER (Big5's colon-like mark) -> RATIO
    "\u2035": "\uff40",   # REVERSED PRIME -> FULLWIDTH GRAVE ACCENT
    "\u2571": "\uff0f",   # box diagonals -> full-width solidus / reverse solidus
    "\u2572": "\uff3c",
    "\u256d": "\u250c",   # rounded box corners -> plain light corners
    "\u256e": "\u2510",
    "\u2570": "\u2514",
    "\u256f": "\u2518",
}

SYMBOL_CATEGORIES = {"Pc", "Pd", "Ps", "Pe", "Pi", "Pf", "Po", "Sm", "Sc", "Sk", "So"}

OPENCC_DICTS = ("TSCharacters", "TWVariantsRev")
OPENCC_SEARCH = (
    "/usr/share/opencc",
    "/usr/local/share/opencc",
    "/usr/lib/*/opencc",
    "/usr/local/lib/*/opencc",
    "/opt/homebrew/share/opencc",
)
VARIANT_DEPTH = 3

RANGES = [
    ("symbols A140-A3FE", lambda lead, trail: 0xA1 <= lead <= 0xA3),
    ("frequent A440-C67E", lambda lead, trail: 0xA4 <= lead <= 0xC5 or (lead == 0xC6 and trail < 0xA1)),
    ("less frequent C940-F9D5", lambda lead, trail: 0xC9 <= lead <= 0xF8 or (lead == 0xF9 and trail <= 0xD5)),
    ("other C6A1-C8FE, F9D6-F9FE", lambda lead, trail: True),
]


class InputsMissing(Exception):
    pass


def is_big5_trail(trail):
    return 0x40 <= trail <= 0x7E or 0xA1 <= trail <= 0xFE


def cell_code(lead, trail):
    return (lead << 8) | trail


def range_name(lead, trail):
    for name, test in RANGES:
        if test(lead, trail):
            return name
    raise AssertionError("unreachable")


# ---------------------------------------------------------------- inputs

def gb2312_index():
    """Unicode character -> GB2312 EUC bytes, for every assigned GB2312 cell.

    The gb2312 and gbk codecs read A1A4 and A1AA differently (U+30FB/U+00B7,
    U+2015/U+2014); both readings are accepted.  Only cells gb2312 assigns are
    used: gbk also fills cells GB2312 leaves empty, and those must not appear.
    """
    index = {}
    for lead in range(0xA1, 0xF8):
        for trail in range(0xA1, 0xFF):
            code = bytes((lead, trail))
            try:
                ch = code.decode("gb2312")
            except UnicodeDecodeError:
                continue
            index.setdefault(ch, code)
            try:
                alias = code.decode("gbk")
            except UnicodeDecodeError:
                continue
            index.setdefault(alias, code)
    return index


def big5_readings(lead, trail):
    """Characters a Big5 cell stands for: big5 reading first, then cp950,
    each followed by its canonical equivalent (a CJK compatibility ideograph
    such as U+FA0C stands for the unified one, U+5140)."""
    readings = []
    for codec in ("big5", "cp950"):
        try:
            ch = bytes((lead, trail)).decode(codec)
        except UnicodeDecodeError:
            continue
        for form in (ch, unicodedata.normalize("NFC", ch)):
            if len(form) == 1 and form not in readings:
                readings.append(form)
    return readings


def find_opencc_dir(explicit):
    def has_all(d):
        return all(os.path.isfile(os.path.join(d, n + ".ocd2")) or
                   os.path.isfile(os.path.join(d, n + ".txt")) for n in OPENCC_DICTS)

    if explicit:
        if has_all(explicit):
            return explicit
        raise InputsMissing("no %s dictionaries (.ocd2 or .txt) in %s"
                            % (", ".join(OPENCC_DICTS), explicit))
    candidates = []
    for pattern in OPENCC_SEARCH:
        candidates.extend(sorted(glob.glob(pattern)))
    dpkg = shutil.which("dpkg-query")
    if dpkg:
        for pkg in ("libopencc-data", "libopencc1.1"):
            out = subprocess.run([dpkg, "-L", pkg], capture_output=True, text=True)
            for line in out.stdout.splitlines():
                if line.endswith("/TSCharacters.ocd2"):
                    candidates.append(os.path.dirname(line))
    for d in candidates:
        if has_all(d):
            return d
    raise InputsMissing("OpenCC dictionaries not found (install libopencc-data, "
                        "or pass --opencc-dir)")


def parse_dict_text(text):
    table = {}
    for line in text.splitlines():
        if not line or line.startswith("#"):
            continue
        key, _, values = line.partition("\t")
        forms = values.split()
        if key and forms and key not in table:
            table[key] = forms
    return table


def load_opencc(directory):
    tables = {}
    opencc_dict = None
    with tempfile.TemporaryDirectory(prefix="big5gb-") as tmp:
        for name in OPENCC_DICTS:
            txt = os.path.join(directory, name + ".txt")
            if not os.path.isfile(txt):
                if opencc_dict is None:
                    opencc_dict = shutil.which("opencc_dict")
                    if opencc_dict is None:
                        raise InputsMissing("opencc_dict not found (install opencc)")
                src = os.path.join(directory, name + ".ocd2")
                txt = os.path.join(tmp, name + ".txt")
                run = subprocess.run([opencc_dict, "-i", src, "-o", txt,
                                      "-f", "ocd2", "-t", "text"],
                                     capture_output=True, text=True)
                if run.returncode != 0 or not os.path.isfile(txt):
                    raise InputsMissing("opencc_dict failed on %s: %s"
                                        % (src, run.stderr.strip()))
            with open(txt, encoding="utf-8") as f:
                tables[name] = parse_dict_text(f.read())
            if not tables[name]:
                raise InputsMissing("empty OpenCC dictionary " + txt)
    return tables


# ---------------------------------------------------------------- mapping

def is_ideograph(ch):
    # Category first: IDEOGRAPHIC COMMA and friends are punctuation.
    return unicodedata.category(ch) == "Lo" and "IDEOGRAPH" in unicodedata.name(ch, "")


def to_fullwidth(ch):
    if "\u0021" <= ch <= "\u007e":
        return chr(ord(ch) + 0xFEE0)
    return ch


def simplified_candidates(ch, ts, twrev):
    """Forms reachable from ch through OpenCC, nearest first."""
    seen = {ch}
    level = [ch]
    for _ in range(VARIANT_DEPTH):
        nxt = []
        for node in level:
            for form in ts.get(node, []) + twrev.get(node, []):
                if form not in seen:
                    seen.add(form)
                    nxt.append(form)
                    yield form
        level = nxt


def symbol_candidates(ch):
    if is_ideograph(ch) or unicodedata.category(ch) not in SYMBOL_CATEGORIES:
        return
    if ch in SYMBOL_EQUIVALENTS:
        yield SYMBOL_EQUIVALENTS[ch]
    compat = unicodedata.normalize("NFKC", ch)
    if compat == ch or len(compat) != 1:
        return
    if is_ideograph(compat) or unicodedata.category(compat) not in SYMBOL_CATEGORIES:
        return
    yield to_fullwidth(compat)
    yield compat
    if compat in SYMBOL_EQUIVALENTS:
        yield SYMBOL_EQUIVALENTS[compat]


def map_cell(readings, gb, ts, twrev):
    """(GB2312 bytes, how, via-character) for one Big5 cell's readings."""
    for ch in readings:
        if ch in gb:
            return gb[ch], "direct", ch
    for ch in readings:
        for form in simplified_candidates(ch, ts, twrev):
            if form in gb:
                return gb[form], "opencc", form
    for ch in readings:
        for form in symbol_candidates(ch):
            if form in gb:
                return gb[form], "symbol", form
    return FILL, None, None


def build(gb, ts, twrev):
    table = {}
    how = {}
    for lead in range(LEAD_FIRST, LEAD_LAST + 1):
        for trail in range(TRAIL_FIRST, TRAIL_LAST + 1):
            entry, kind, via = FILL, None, None
            if lead < USER_DEFINED_FIRST_LEAD and is_big5_trail(trail):
                readings = big5_readings(lead, trail)
                if readings:
                    entry, kind, via = map_cell(readings, gb, ts, twrev)
                    kind = kind or "unmapped"
            table[(lead, trail)] = entry
            how[(lead, trail)] = (kind, via)
    return table, how


def check_required(table):
    failures = []
    for big5, want in REQUIRED_PAIRS:
        got = table[(big5 >> 8, big5 & 0xFF)]
        if got != want.to_bytes(2, "big"):
            failures.append("%04X -> %s, want %04X" % (big5, got.hex().upper(), want))
    return failures


# ---------------------------------------------------------------- output

def render(table):
    out = ["// Generated by tools/gen_big5_gb.py -- do not edit.",
           "// Big5 (lead 0xA1..0xFE, trail 0x40..0xFE) -> GB2312 EUC bytes;"
           " 0xA1 0xA1 = no counterpart."]
    for lead in range(LEAD_FIRST, LEAD_LAST + 1):
        out.append("{  // Big5 lead byte 0x%02X" % lead)
        trails = list(range(TRAIL_FIRST, TRAIL_LAST + 1))
        for i in range(0, len(trails), ENTRIES_PER_LINE):
            chunk = trails[i:i + ENTRIES_PER_LINE]
            cells = " ".join("{0x%02X, 0x%02X}," % tuple(table[(lead, t)]) for t in chunk)
            out.append("    %s  // %02X%02X" % (cells, lead, chunk[0]))
        out.append("},")
    return "\n".join(out) + "\n"


def write_atomic(path, text):
    directory = os.path.dirname(os.path.abspath(path))
    os.makedirs(directory, exist_ok=True)
    fd, tmp = tempfile.mkstemp(prefix=".big5gb-", dir=directory)
    try:
        with os.fdopen(fd, "w", encoding="ascii", newline="\n") as f:
            f.write(text)
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(tmp, 0o666 & ~umask)
        os.replace(tmp, path)
    except BaseException:
        if os.path.exists(tmp):
            os.unlink(tmp)
        raise


# ---------------------------------------------------------------- report

def iconv_reference(cells):
    """glibc iconv's BIG5 -> GB2312 result per cell (None: not converted).

    One process for all cells, one cell per line, run with -c.  Invalid input
    is dropped, so only a two-byte non-ASCII line counts.  For valid Big5 it
    can't convert, this converter writes the placeholder A1F5 (U+25A1 WHITE
    SQUARE) instead; A1F5 counts as an answer only where the Big5 cell itself
    is the white square.
    """
    iconv = shutil.which("iconv")
    if iconv is None:
        return None
    data = b"".join(bytes(c) + b"\n" for c in cells)
    run = subprocess.run([iconv, "-c", "-f", "BIG5", "-t", "GB2312"],
                         input=data, capture_output=True)
    lines = run.stdout.split(b"\n")
    if len(lines) < len(cells):
        return None
    result = {}
    for cell, line in zip(cells, lines):
        ok = len(line) == 2 and line[0] >= 0x80 and line[1] >= 0x80
        if ok and line == b"\xa1\xf5" and "\u25a1" not in big5_readings(*cell):
            ok = False
        result[cell] = line if ok else None
    return result


def describe(code):
    for codec in ("gb2312", "big5", "cp950"):
        try:
            return bytes(code).decode(codec)
        except UnicodeDecodeError:
            continue
    return "?"


def report(table, how, with_iconv, out):
    def p(*args):
        print(*args, file=out)

    valid = [(lead, trail) for (lead, trail), (kind, _) in sorted(how.items()) if kind]
    def mapped(c):
        # A140, the ideographic space, maps to A1A1 as itself and counts as mapped.
        return how[c][0] != "unmapped"

    p("Big5 -> GB2312 coverage (codes with a GB2312 counterpart; the rest get the A1A1 default):")
    kinds = {}
    for name, _ in RANGES:
        cells = [c for c in valid if range_name(*c) == name]
        hits = [c for c in cells if mapped(c)]
        p("  %-36s %5d of %5d assigned Big5 codes" % (name, len(hits), len(cells)))
    user_rows = (LEAD_LAST - USER_DEFINED_FIRST_LEAD + 1) * 157
    p("  (rows FA-FE: %d user-defined codes, all A1A1)" % user_rows)
    for c in valid:
        kinds[how[c][0]] = kinds.get(how[c][0], 0) + 1
    total_mapped = sum(1 for c in valid if mapped(c))
    p("  total %d of %d; by rule: same character %d, OpenCC %d, symbol equivalence %d,"
      " no counterpart %d" % (total_mapped, len(valid), kinds.get("direct", 0),
                              kinds.get("opencc", 0), kinds.get("symbol", 0),
                              kinds.get("unmapped", 0)))
    symbols = ["%02X%02X %s->%s" % (c[0], c[1], big5_readings(*c)[0], how[c][1])
               for c in valid if how[c][0] == "symbol"]
    p("  symbol equivalences (%d):" % len(symbols))
    for i in range(0, len(symbols), 8):
        p("    " + "  ".join(symbols[i:i + 8]))

    if not with_iconv:
        return
    all_cells = [(lead, trail) for lead in range(LEAD_FIRST, LEAD_LAST + 1)
                 for trail in range(TRAIL_FIRST, TRAIL_LAST + 1) if is_big5_trail(trail)]
    ref = iconv_reference(all_cells)
    if ref is None:
        p("glibc iconv cross-check: skipped (iconv BIG5 -> GB2312 unavailable)")
        return
    converted = [c for c in all_cells if ref[c] is not None]
    differ = [c for c in converted if ref[c] != table[c]]
    only_iconv = [c for c in differ if table[c] == FILL]
    only_ours = [c for c in all_cells if ref[c] is None and table[c] != FILL]
    p("glibc iconv BIG5 -> GB2312 cross-check:")
    p("  iconv converts %d codes; ours differs on %d of them"
      " (%d where we give A1A1, %d other choices)"
      % (len(converted), len(differ), len(only_iconv), len(differ) - len(only_iconv)))
    p("  codes we map that iconv does not convert: %d" % len(only_ours))

    def examples(title, cells, limit):
        if not cells:
            return
        p("  %s, e.g.:" % title)
        for c in cells[:limit]:
            p("    %02X%02X %s  ours %s %s  iconv %s %s" % (
                c[0], c[1], big5_readings(*c)[0],
                table[c].hex().upper(), describe(table[c]),
                ref[c].hex().upper() if ref[c] else "----",
                describe(ref[c]) if ref[c] else "-"))

    examples("other choices", [c for c in differ if table[c] != FILL], 12)
    examples("iconv converts, we give A1A1", only_iconv, 8)
    examples("we convert, iconv does not", only_ours, 6)


# ---------------------------------------------------------------- main

def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--out", required=True, help="output .inc file")
    ap.add_argument("--opencc-dir", help="directory holding TSCharacters and "
                    "TWVariantsRev (.ocd2, or .txt text dictionaries)")
    ap.add_argument("--report", action="store_true",
                    help="also cross-check against glibc iconv and list differences")
    args = ap.parse_args(argv)

    try:
        directory = find_opencc_dir(args.opencc_dir)
        dicts = load_opencc(directory)
    except InputsMissing as e:
        print("gen_big5_gb: inputs not installed: %s" % e, file=sys.stderr)
        return EXIT_INPUTS_MISSING

    gb = gb2312_index()
    table, how = build(gb, dicts["TSCharacters"], dicts["TWVariantsRev"])
    failures = check_required(table)
    if failures:
        for f in failures:
            print("gen_big5_gb: required pair failed: " + f, file=sys.stderr)
        return EXIT_FAILED

    write_atomic(args.out, render(table))
    print("wrote %s (OpenCC dictionaries from %s)" % (args.out, directory))
    report(table, how, args.report, sys.stdout)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
