#!/usr/bin/env python3
"""Old text to New, side by side: the Python module orvani, the filter as a whole process, and
the same rules in pure Python (re.sub over the Old reading table). Prints MB of input per
second, the median of RUNS runs.

    PYTHONPATH=BUILD/python bench/python_bench.py --filter BUILD/cli/orvaniconv-cli \\
        --corpus BUILD/bench/orvani-corpus [--bytes 100000000] [--runs 3]

--text FILE takes an Old text from FILE instead of generating one with --corpus.
"""

import argparse
import concurrent.futures
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

import orvani

# The Old reading table with the a option on and oh/uh off: two-letter spellings first, read
# greedily from the left, on lower-cased text; anything else passes unchanged.
OLD_TO_NEW = {
    "sh": "š", "kh": "x", "ah": "a", "ih": "i", "ee": "í", "eh": "e", "ay": "é", "th": "þ",
    "dh": "ð", "oy": "ó", "ch": "ç", "oo": "ú", "ts": "c", "oh": "oh", "uh": "uh",
    "a": "æ", "i": "á",
}  # fmt: skip
OLD_SPELLING = re.compile("|".join(sorted(OLD_TO_NEW, key=len, reverse=True)))


def pure_python(text):
    return OLD_SPELLING.sub(lambda match: OLD_TO_NEW[match.group()], text.lower())


def halves(text):
    """Two parts that convert apart as they would together: cut before a space."""
    cut = text.index(" ", len(text) // 2)
    return [text[:cut], text[cut:]]


def timed(run, runs):
    seconds = []
    result = None
    for _ in range(runs):
        start = time.perf_counter()
        result = run()
        seconds.append(time.perf_counter() - start)
    return statistics.median(seconds), result


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--filter", required=True, help="the orvaniconv-cli program")
    parser.add_argument("--corpus", help="the orvani-corpus program")
    parser.add_argument("--text", help="a file of Old text, instead of --corpus")
    parser.add_argument("--bytes", type=int, default=100_000_000)
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
        size = len(text.encode())
        mb = size / 1e6

        rows = []

        seconds, expected = timed(lambda: orvani.convert(text, "old", "new"), args.runs)
        rows.append(("orvani.convert, one thread", seconds))

        parts = halves(text)
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            seconds, result = timed(
                lambda: "".join(pool.map(lambda part: orvani.convert(part, "old", "new"), parts)),
                args.runs,
            )
        assert result == expected, "two halves on two threads differ from the whole"
        rows.append(("orvani.convert, halves on 2 threads", seconds))

        def stream():
            converter = orvani.Converter("old", "new")
            step = 1 << 20
            pieces = [converter.feed(text[i : i + step]) for i in range(0, len(text), step)]
            return "".join(pieces) + converter.finish()

        seconds, result = timed(stream, args.runs)
        assert result == expected, "orvani.Converter in 1 MiB pieces differs from the whole"
        rows.append(("orvani.Converter, 1 MiB pieces", seconds))

        command = [args.filter, "-f", "old", "-t", "new", path]
        seconds, _ = timed(
            lambda: subprocess.run(command, stdout=subprocess.DEVNULL, check=True), args.runs
        )
        rows.append(("orvaniconv-cli, whole process", seconds))

        seconds, result = timed(lambda: pure_python(text), args.pure_runs)
        same = "same result" if result == expected else "DIFFERENT result"
        rows.append((f"pure Python re.sub ({same})", seconds))

    print(f"Old to New, {mb:.0f} MB of input, Python {sys.version.split()[0]}, "
          f"{os.cpu_count()} cores, median of {args.runs} runs ({args.pure_runs} for pure Python)")
    print(f"{'':<44}{'MB/s':>8}{'seconds':>10}")
    for name, seconds in rows:
        print(f"{name:<44}{mb / seconds:>8.0f}{seconds:>10.2f}")


if __name__ == "__main__":
    main()
