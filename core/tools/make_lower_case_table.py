#!/usr/bin/env python3
"""Writes core/src/lower_case_table.h from Unicode's UnicodeData.txt.

The core lower-cases with Unicode's simple mapping (one character to one), field 13 of
UnicodeData.txt. The header keeps it as runs of code points that share one difference to
their lower case, each run taking every code point or every other one. Runs follow the way
scripts lay out their cases (whole alphabets apart, or capitals and small letters
alternating), so fewer than 200 of them hold the 1,400-odd mappings of Unicode 15.

A binary search over all the runs took about twice as long as ICU's trie, which showed in
converting Cyrillic or Greek text; an index of where each block of code points starts among
the runs leaves most searches a step or two, and none in blocks without case. Runs and index
come to under 2.5 KB; a two-stage table (unique blocks of 64 code points, each an index into
the differences) would be 5.7 KB.

The Unicode version is read from the ReadMe.txt beside the data unless given.

    python3 core/tools/make_lower_case_table.py /usr/share/unicode/UnicodeData.txt \
        core/src/lower_case_table.h
"""

import argparse
import bisect
import pathlib
import re
import sys

# A run is packed as first << SPAN_SHIFT | (last - first) << 1 | alternate.
SPAN_SHIFT = 11
MAX_SPAN = (1 << (SPAN_SHIFT - 1)) - 1
MAX_CODE_POINT = 0x10FFFF
# Code points per block of the index: smaller blocks shorten the searches, larger ones the
# index (64: 1.9 KB, 128: 1 KB, 256: 0.5 KB, for Unicode 15).
BLOCK_SHIFT = 7
COLUMNS = 100


def read_mappings(data):
    """Code point to simple lower case, for the code points that have one."""
    mappings = {}
    for number, line in enumerate(data.read_text(encoding="utf-8").splitlines(), 1):
        fields = line.split(";")
        if len(fields) != 15:
            sys.exit(f"{data}:{number}: expected 15 fields, found {len(fields)}")
        code_point = int(fields[0], 16)
        # The First/Last lines of a range of unnamed characters (Han, Hangul, private use)
        # stand for code points without case; any mapping on them would be for the range.
        if fields[1].endswith((", First>", ", Last>")):
            if fields[13]:
                sys.exit(f"{data}:{number}: a range with a lower-case mapping")
            continue
        if fields[13]:
            lower = int(fields[13], 16)
            if lower != code_point:
                mappings[code_point] = lower
    return mappings


def make_runs(mappings):
    """[first, last, difference, step]: every step-th code point from first to last maps to
    itself plus the difference, and no other code point between them has a mapping."""
    runs = []
    for code_point in sorted(mappings):
        difference = mappings[code_point] - code_point
        if runs:
            run = runs[-1]
            gap = code_point - run[1]
            fits = gap == run[3] if run[3] else gap in (1, 2)
            if run[2] == difference and fits and code_point - run[0] <= MAX_SPAN:
                run[1], run[3] = code_point, gap
                continue
        runs.append([code_point, code_point, difference, 0])
    return runs


def pack(first, last, step):
    assert first <= MAX_CODE_POINT and last - first <= MAX_SPAN
    return first << SPAN_SHIFT | (last - first) << 1 | (step == 2)


def make_blocks(runs):
    """For each block and the one after the last run, the last run that starts at or before
    the block's first code point (or the first run)."""
    firsts = [first for first, _, _, _ in runs]
    blocks = (runs[-1][1] >> BLOCK_SHIFT) + 1
    return [max(bisect.bisect_right(firsts, b << BLOCK_SHIFT) - 1, 0) for b in range(blocks + 1)]


def lower_case(code_point, runs, packed, blocks):
    """The lookup of lower_case.h, step for step."""
    block = code_point >> BLOCK_SHIFT
    if block + 1 >= len(blocks):
        return code_point
    key = code_point << SPAN_SHIFT | (1 << SPAN_SHIFT) - 1
    first, count = blocks[block], blocks[block + 1] - blocks[block] + 1
    while count > 1:
        half = count // 2
        if packed[first + half] <= key:
            first += half
        count -= half
    offset = (code_point - (packed[first] >> SPAN_SHIFT)) & 0xFFFFFFFF
    span = packed[first] >> 1 & MAX_SPAN
    if offset > span or (packed[first] & 1 and offset & 1):
        return code_point
    return code_point + runs[first][2]


def check(runs, blocks, mappings):
    packed = [pack(first, last, step) for first, last, _, step in runs]
    assert packed == sorted(packed) and packed[-1] < 1 << 32
    assert len(runs) <= 256, "the index would need 16 bits"
    for code_point in range(MAX_CODE_POINT + 1):
        got = lower_case(code_point, runs, packed, blocks)
        assert got == mappings.get(code_point, code_point), hex(code_point)


def unicode_version(data, given):
    if given:
        text = given
    else:
        readme = data.with_name("ReadMe.txt")
        if not readme.exists():
            sys.exit(f"{readme} is missing: give the data's version with --unicode-version")
        found = re.search(r"for Version (\d+\.\d+\.\d+) of the Unicode Standard",
                          readme.read_text(encoding="utf-8"))
        if not found:
            sys.exit(f"{readme} does not say which Unicode version it is for")
        text = found.group(1)
    if not re.fullmatch(r"\d+\.\d+\.\d+", text):
        sys.exit(f"not a Unicode version: {text}")
    return text


def run_lines(runs):
    """One run a line, with the code points it covers."""
    items = []
    for first, last, difference, step in runs:
        covers = f"U+{first:04X}" if first == last else f"U+{first:04X}..U+{last:04X}"
        if step == 2:
            covers += ", every other"
        items.append((f"{{0x{pack(first, last, step):08X}, {difference}}},", covers))
    # Trailing comments aligned as clang-format aligns them.
    width = max(len(item) for item, _ in items)
    return [f"    {item:<{width}} // {covers}" for item, covers in items]


def block_lines(blocks):
    """Filled into lines as clang-format fills them; of one width, which it keeps."""
    lines, line = [], "   "
    for number in blocks:
        if len(line) + len(f" 0x{number:02X},") > COLUMNS:
            lines.append(line)
            line = "   "
        line += f" 0x{number:02X},"
    return lines + [line]


def header(runs, blocks, version, data):
    count = len(runs)
    size = 8 * count + len(blocks)
    major, minor, update = version.split(".")
    lines = [
        "// Generated by core/tools/make_lower_case_table.py (the target orvani_lower_case_table)",
        f"// from {data}, Unicode {version}; do not edit.",
        "#pragma once",
        "",
        "#include <array>",
        "#include <cstdint>",
        "",
        "namespace orvani::detail {",
        "",
        "inline constexpr std::array<int, 3> kLowerCaseUnicodeVersion{"
        f"{major}, {minor}, {update}}};",
        "",
        "// Code points from first to first + span, or every other one of them, that lower-case by",
        "// adding one difference: packed is first << kLowerCaseSpanShift | span << 1 | alternate,",
        "// so runs sort by their first code point.",
        "struct LowerCaseRun {",
        "    std::uint32_t packed;",
        "    std::int32_t difference;",
        "};",
        f"inline constexpr int kLowerCaseSpanShift = {SPAN_SHIFT};",
        f"inline constexpr int kLowerCaseBlockShift = {BLOCK_SHIFT};",
        "",
        f"// Unicode's simple lower-case mapping in {count} runs and an index to them, {size} bytes.",
        "// Runs follow how scripts lay out their cases, whole alphabets apart or capitals and",
        "// small letters alternating, and stay few; a two-stage table would be twice the size.",
        f"inline constexpr std::array<LowerCaseRun, {count}> kLowerCaseRuns{{{{",
        *run_lines(runs),
        "}};",
        "",
        f"// For each block of {1 << BLOCK_SHIFT} code points, and for the one after the last run, "
        "the",
        "// last run that starts at or before the block's first code point: a search for a code",
        "// point need look only from its block's run to the next block's.",
        f"inline constexpr std::array<std::uint8_t, {len(blocks)}> kLowerCaseBlocks{{{{",
        *block_lines(blocks),
        "}};",
        "",
        "} // namespace orvani::detail",
    ]
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("data", type=pathlib.Path, help="UnicodeData.txt")
    parser.add_argument("output", type=pathlib.Path, help="the header to write")
    parser.add_argument("--unicode-version", help="the data's version, such as 15.0.0")
    args = parser.parse_args()
    if not args.data.exists():
        sys.exit(f"{args.data} is missing (Debian: install unicode-data)")

    version = unicode_version(args.data, args.unicode_version)
    mappings = read_mappings(args.data)
    runs = make_runs(mappings)
    blocks = make_blocks(runs)
    check(runs, blocks, mappings)
    text = header(runs, blocks, version, args.data)
    # Left alone when unchanged, so that regenerating does not rebuild the core.
    if not args.output.exists() or args.output.read_text(encoding="utf-8") != text:
        args.output.write_text(text, encoding="utf-8")
    print(f"{args.output}: {len(mappings)} mappings of Unicode {version} in {len(runs)} runs "
          f"and {len(blocks)} blocks, {8 * len(runs) + len(blocks)} bytes")


if __name__ == "__main__":
    main()
