#!/usr/bin/env python3
"""Old text to New in Python, side by side in one run: the module orvani, the filter as a whole
process, and the same rules in Python two ways (str.translate after a compiled regular
expression for the two-letter spellings; a plain loop over the characters). Two tables: a
million short strings (one to three words), and one long text. Each figure is the median of
RUNS runs, in wall-clock time and in the process's CPU time (which a busy machine changes
less).

    PYTHONPATH=BUILD/python bench/python_bench.py --filter BUILD/cli/orvaniconv-cli \\
        --corpus BUILD/bench/orvani-corpus [--bytes 100000000] [--strings 1000000] [--runs 3]

--text FILE takes an Old text from FILE instead of generating one with --corpus.
"""

import argparse
import concurrent.futures
import os
import random
import re
import statistics
import subprocess
import sys
import tempfile
import time
import timeit

import orvani

# The Old reading table with the a option on and oh/uh off: two-letter spellings first, read
# greedily from the left, on lower-cased text; anything else passes unchanged.
PAIRS = {
    "sh": "š", "kh": "x", "ah": "a", "ih": "i", "ee": "í", "eh": "e", "ay": "é", "th": "þ",
    "dh": "ð", "oy": "ó", "ch": "ç", "oo": "ú", "ts": "c", "oh": "oh", "uh": "uh",
}  # fmt: skip
SINGLES = {"a": "æ", "i": "á"}

# Peer 1: the pairs through a compiled regular expression, then the single letters through
# str.translate. The pairs that give "a" and "i" give stand-ins first, which the same
# translation turns back, so that they are not read again as single letters.
STAND_INS = {"a": "\ue000", "i": "\ue001"}
PAIR_PATTERN = re.compile("|".join(PAIRS))
PAIRS_WITH_STAND_INS = {pair: STAND_INS.get(new, new) for pair, new in PAIRS.items()}
SINGLE_TABLE = str.maketrans(
    {**SINGLES, **{stand_in: letter for letter, stand_in in STAND_INS.items()}}
)


def translate_peer(text):
    pairs = PAIR_PATTERN.sub(lambda match: PAIRS_WITH_STAND_INS[match.group()], text.lower())
    return pairs.translate(SINGLE_TABLE)


# Peer 2: a plain loop.
def loop_peer(text):
    text = text.lower()
    out = []
    i = 0
    while i < len(text):
        pair = PAIRS.get(text[i : i + 2])
        if pair is not None:
            out.append(pair)
            i += 2
        else:
            out.append(SINGLES.get(text[i], text[i]))
            i += 1
    return "".join(out)


def halves(text):
    """Two parts that convert apart as they would together: cut before a space."""
    cut = text.index(" ", len(text) // 2)
    return [text[:cut], text[cut:]]


def timed(run, runs):
    """The median wall-clock and CPU seconds of `runs` runs, and the last result."""
    wall, cpu = [], []
    result = None
    for _ in range(runs):
        result = None
        start, start_cpu = time.perf_counter(), time.process_time()
        result = run()
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    return statistics.median(wall), statistics.median(cpu), result


def same(result, expected):
    return "" if result == expected else " (DIFFERENT result)"


def short_strings(words, count, runs):
    """A million short strings, as rows of (name, strings per second wall, CPU)."""
    rng = random.Random(24)
    texts = [" ".join(rng.choices(words, k=rng.randint(1, 3))) for _ in range(count)]
    rows = []
    wall, cpu, expected = timed(lambda: orvani.convert_many(texts, "old", "new"), runs)
    rows.append(("orvani.convert_many(texts, ...)", count / wall, count / cpu))
    convert = orvani.convert
    wall, cpu, result = timed(lambda: [convert(t, "old", "new") for t in texts], runs)
    rows.append(("[orvani.convert(t, ...) for t in texts]" + same(result, expected),
                 count / wall, count / cpu))  # fmt: skip
    wall, cpu, result = timed(lambda: [translate_peer(t) for t in texts], runs)
    rows.append(("peer: regex for pairs + str.translate" + same(result, expected),
                 count / wall, count / cpu))  # fmt: skip
    wall, cpu, result = timed(lambda: [loop_peer(t) for t in texts], 1)
    rows.append(("peer: plain Python loop (1 run)" + same(result, expected),
                 count / wall, count / cpu))  # fmt: skip
    return rows


def one_word_microseconds():
    number = 200_000
    best = min(timeit.repeat(lambda: orvani.convert("Kheetsoy", "old", "new"), number=number,
                             repeat=5))  # fmt: skip
    return best / number * 1e6


def long_text(text, path, filter_program, runs, pure_runs):
    """One long text, as rows of (name, MB per second wall, CPU)."""
    mb = len(text.encode()) / 1e6
    rows = []

    wall, cpu, expected = timed(lambda: orvani.convert(text, "old", "new"), runs)
    rows.append(("orvani.convert, one thread", mb / wall, mb / cpu))

    parts = halves(text)
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        wall, cpu, result = timed(
            lambda: "".join(pool.map(lambda part: orvani.convert(part, "old", "new"), parts)),
            runs,
        )
    rows.append(("orvani.convert, halves on 2 threads" + same(result, expected),
                 mb / wall, mb / cpu))  # fmt: skip

    def stream():
        converter = orvani.Converter("old", "new")
        step = 1 << 20
        pieces = [converter.feed(text[i : i + step]) for i in range(0, len(text), step)]
        return "".join(pieces) + converter.finish()

    wall, cpu, result = timed(stream, runs)
    rows.append(("orvani.Converter, 1 MiB pieces" + same(result, expected), mb / wall, mb / cpu))

    command = [filter_program, "-f", "old", "-t", "new", path]
    wall, _, _ = timed(lambda: subprocess.run(command, stdout=subprocess.DEVNULL, check=True),
                       runs)  # fmt: skip
    rows.append(("orvaniconv-cli, whole process", mb / wall, None))

    wall, cpu, result = timed(lambda: translate_peer(text), pure_runs)
    rows.append(("peer: regex for pairs + str.translate" + same(result, expected),
                 mb / wall, mb / cpu))  # fmt: skip

    # The loop on a tenth of the text (at most 10 MB) is telling enough.
    part = text[: min(len(text) // 10, 10_000_000)]
    part = part[: part.rindex(" ")]
    part_mb = len(part.encode()) / 1e6
    wall, cpu, result = timed(lambda: loop_peer(part), 1)
    rows.append((f"peer: plain Python loop ({part_mb:.0f} MB of it)"
                 + same(result, orvani.convert(part, "old", "new")),
                 part_mb / wall, part_mb / cpu))  # fmt: skip
    return mb, rows


def print_rows(rows, unit):
    print(f"{'':<52}{unit + ' wall':>14}{unit + ' CPU':>14}")
    for name, wall, cpu in rows:
        shown_cpu = f"{cpu:>14,.0f}" if cpu is not None else f"{'-':>14}"
        print(f"{name:<52}{wall:>14,.0f}{shown_cpu}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--filter", required=True, help="the orvaniconv-cli program")
    parser.add_argument("--corpus", help="the orvani-corpus program")
    parser.add_argument("--text", help="a file of Old text, instead of --corpus")
    parser.add_argument("--bytes", type=int, default=100_000_000)
    parser.add_argument("--strings", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--pure-runs", type=int, default=1, help="runs of the slow pure Python")
    args = parser.parse_args()
    if args.runs < 1 or args.pure_runs < 1:
        parser.error("runs are at least 1")

    with tempfile.TemporaryDirectory() as work:
        path = args.text
        if path is None:
            if args.corpus is None:
                parser.error("give --corpus or --text")
            path = os.path.join(work, "old.txt")
            with open(path, "wb") as out:
                subprocess.run([args.corpus, "old", str(args.bytes)], stdout=out, check=True)
        with open(path, encoding="utf-8") as source:
            text = source.read()

        words = sorted(set(text[:1_000_000].split()))
        short_rows = short_strings(words, args.strings, args.runs)
        word = one_word_microseconds()
        mb, long_rows = long_text(text, path, args.filter, args.runs, args.pure_runs)

    print(f"Old to New, Python {sys.version.split()[0]}, {os.cpu_count()} cores, "
          f"median of {args.runs} runs")  # fmt: skip
    print()
    print(f"{args.strings:,} short strings (one to three words)")
    print_rows(short_rows, "strings/s")
    print(f"orvani.convert of one word: {word:.2f} µs (best of five)")
    print()
    print(f"One text of {mb:.0f} MB ({args.pure_runs} run of the regex peer)")
    print_rows(long_rows, "MB/s")


if __name__ == "__main__":
    main()
