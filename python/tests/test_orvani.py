import ast
import concurrent.futures
import itertools
import os
import pathlib
import re
import subprocess

import pytest

import orvani

CLI = os.environ.get("ORVANICONV_CLI")
needs_cli = pytest.mark.skipif(not CLI, reason="ORVANICONV_CLI names no filter")

NAMES = ["old", "new", "script"]
OPTION_SETS = [
    {"a": a, "oh_uh": oh_uh} for a, oh_uh in itertools.product([True, False], repeat=2)
]
# Every standard's letters, both cases, digraphs, a pending letter at the end, and text that
# no standard spells.
MIXED = (
    "Kheetsoy dhath, ohm uhr. Sheekh ahts oy!\n"
    "xícó ðæþ šáí ŠÁÍ óçúc\n"
    "kExO dqT SkKIEADTdOcUxq XYC\n"
    "AÿB «É» — 0123 ah a oh uh eh ay ee oo ts k"
)


@pytest.mark.parametrize(
    "text, source, target, options, expected",
    [
        ("Kheetsoy dhath, ohm uhr", "old", "new", {}, "xícó ðæþ, ohm uhr"),
        ("Kheetsoy dhath, ohm uhr", "old", "new", {"a": False}, "xícó ðaþ, ohm uhr"),
        ("Kheetsoy dhath, ohm uhr", "old", "new", {"oh_uh": True}, "xícó ðæþ, om ur"),
        ("Kheetsoy dhath", "old", "script", {}, "kExO dqT"),
        ("kExO dqT", "script", "old", {"a": False}, "kheetsoy dhath"),
        ("Ohm dhath", "Old", "OLD", {"a": False, "oh_uh": True}, "ohm dhahth"),
        ("xícó ðæþ", "New", "Orvani Script", {}, "kExO dqT"),
        ("aÿb", "new", "new", {}, "aÿb"),
        ("", "old", "new", {}, ""),
        ("Kheetsoy, SHOO dhath", "old", "new", {"keep_case": True}, "Xícó, ŠÚ ðæþ"),
        ("Šú ŠÚ Xícó", "new", "old", {"keep_case": True}, "Shoo SHOO Kheetsoy"),
    ],
)
def test_known_results(text, source, target, options, expected):
    assert orvani.convert(text, source, target, **options) == expected


def run_filter(text, source, target, a, oh_uh, normalize=True):
    args = [CLI, "-f", source, "-t", target, "--a" if a else "--no-a"]
    args.append("--oh-uh" if oh_uh else "--no-oh-uh")
    if not normalize:
        args.append("--no-normalize")
    done = subprocess.run(args, input=text.encode(), capture_output=True, check=True)
    return done.stdout.decode()


@needs_cli
@pytest.mark.parametrize("source, target", itertools.product(NAMES, NAMES))
def test_every_pair_and_option_set_as_the_filter(source, target):
    for options in OPTION_SETS:
        assert orvani.convert(MIXED, source, target, **options) == run_filter(
            MIXED, source, target, **options
        ), options


@needs_cli
@pytest.mark.parametrize("source, target", itertools.product(NAMES, NAMES))
def test_long_texts_and_many_short_ones_as_the_filter(source, target):
    # Long: converted a block at a time into the str; short: each on the stack.
    long = MIXED * 300
    assert orvani.convert(long, source, target) == run_filter(long, source, target, True, False)
    lines = MIXED.split("\n")
    expected = run_filter(MIXED, source, target, True, False).split("\n")
    assert orvani.convert_many(lines, source, target) == expected


@needs_cli
@pytest.mark.parametrize("normalize", [True, False])
def test_decomposed_text_as_the_filter(normalize):
    text = "xi\u0301co\u0301 ða\u0301 e\u0301\u0323\n"
    assert orvani.convert(text, "new", "old", normalize=normalize) == run_filter(
        text, "new", "old", True, False, normalize
    )


@needs_cli
def test_version_is_the_programs():
    version = subprocess.run([CLI, "--version"], capture_output=True, text=True, check=True)
    assert version.stdout.split() == ["orvaniconv-cli", orvani.__version__]


def test_version():
    assert orvani.__version__ == "1.00"


def test_standards():
    assert orvani.standards() == [("old", "Old"), ("new", "New"), ("script", "Orvani Script")]


@pytest.mark.parametrize(
    "name",
    ["old", "OLD", "Old", "new", "New", "script", "Script", "orvani script", "ORVANI SCRIPT"],
)
def test_names_in_any_case(name):
    short = name.lower().split()[-1]
    assert orvani.convert(MIXED, name, "new") == orvani.convert(MIXED, short, "new")
    assert orvani.convert(MIXED, "old", name) == orvani.convert(MIXED, "old", short)
    other = "old" if short == "new" else "new"
    assert orvani.convert(MIXED, "old", short) != orvani.convert(MIXED, "old", other)


@pytest.mark.parametrize(
    "args, message",
    [
        (("x", "olde", "new"), "unknown standard 'olde' for source; choose old, new or script"),
        (("x", "old", ""), "unknown standard '' for target; choose old, new or script"),
        (("x", "old", "Orvani"), "unknown standard 'Orvani' for target"),
        (("x", "old", "new\udcff"), r"unknown standard 'new\udcff' for target"),
    ],
)
def test_unknown_standard(args, message):
    with pytest.raises(ValueError, match="^" + message.replace("\\", "\\\\")):
        orvani.convert(*args)
    with pytest.raises(ValueError, match="^" + message.replace("\\", "\\\\")):
        orvani.Converter(*args[1:])


@pytest.mark.parametrize(
    "args, message",
    [
        ((b"Kheetsoy", "old", "new"), "text must be str, not bytes (decode it first"),
        ((bytearray(b"x"), "old", "new"), "text must be str, not bytearray"),
        ((None, "old", "new"), "text must be str, not NoneType"),
        ((["x"], "old", "new"), "text must be str, not list"),
        (("x", b"old", "new"), "source must be str, not bytes"),
        (("x", "old", 1), "target must be str, not int"),
    ],
)
def test_wrong_types(args, message):
    with pytest.raises(TypeError) as raised:
        orvani.convert(*args)
    assert str(raised.value).startswith(message)


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: orvani.convert("x", "old"), "convert() missing 1 required positional argument: 'target'"),
        (lambda: orvani.convert(), "convert() missing 3 required positional arguments: 'text', 'source' and 'target'"),
        (lambda: orvani.convert("x", "old", "new", True), "convert() takes 3 positional arguments but 4 were given"),
        (lambda: orvani.convert("x", "old", "new", normalise=False), "convert() got an unexpected keyword argument 'normalise'"),
        (lambda: orvani.convert("x", "old", "new", text="y"), "convert() got multiple values for argument 'text'"),
        (lambda: orvani.convert("x", "old", "new", a="no"), "a must be bool, not str"),
        (lambda: orvani.convert_many(["x"], "old", "new", oh_uh=None), "oh_uh must be bool, not NoneType"),
        (lambda: orvani.Converter("old"), "Converter() missing 1 required positional argument: 'target'"),
        (lambda: orvani.Converter("old", "new", normalize=[]), "normalize must be bool, not list"),
    ],
)  # fmt: skip
def test_argument_errors_in_pythons_words(call, message):
    with pytest.raises(TypeError) as raised:
        call()
    assert str(raised.value) == message


def test_options_by_keyword_in_any_order():
    assert orvani.convert(normalize=True, target="new", a=0, source="old", text="a") == "a"
    converter = orvani.Converter(target="new", source="old", oh_uh=1)
    assert converter.feed("oh.") + converter.finish() == "o."


def test_feed_takes_only_str():
    converter = orvani.Converter("old", "new")
    with pytest.raises(TypeError, match="^text must be str, not bytes"):
        converter.feed(b"x")


def test_options_are_keywords_only():
    with pytest.raises(TypeError):
        orvani.convert("a", "old", "new", False)


@pytest.mark.parametrize(
    "text", ["", "abc", "ab\x80", "é ÿ", "š é", "… —", "\U0001F600 é", "\uffff\U0010FFFF"]
)
@pytest.mark.parametrize("repeat", [1, 20000])
def test_results_are_ordinary_strs(text, repeat):
    # A str must be as narrow as its widest character for == and hashing to hold.
    text = text * repeat
    for result in (orvani.convert(text, "new", "new"), feed_all([text], "new", "new")):
        assert result == text
        assert hash(result) == hash(text)
        assert result.isascii() == text.isascii()


def test_decomposed_input_is_normalised_unless_told():
    assert orvani.convert("xi\u0301co\u0301", "new", "old") == "kheetsoy"
    assert orvani.convert("xi\u0301co\u0301", "new", "old", normalize=False) != "kheetsoy"


@pytest.mark.parametrize(
    "text, expected",
    [
        ("Kheetsoy \udcff dhath", "xícó \udcff ðæþ"),
        ("\ud800", "\ud800"),
        ("a\udc80\udc81kh", "æ\udc80\udc81x"),
        ("xi\udcff\u0301", "xá\udcff\u0301"),
    ],
)
def test_lone_surrogates_are_kept(text, expected):
    assert orvani.convert(text, "old", "new") == expected
    converter = orvani.Converter("old", "new")
    assert converter.feed(text) + converter.finish() == expected


@pytest.mark.parametrize(
    "texts",
    [
        ["Kheetsoy", "dhath", ""],
        ("Kheetsoy", "dhath", ""),
        iter(["Kheetsoy", "dhath", ""]),
        (word for word in ["Kheetsoy", "dhath", ""]),
        {"Kheetsoy": 1, "dhath": 2, "": 3},
    ],
)
def test_convert_many_takes_any_iterable(texts):
    assert orvani.convert_many(texts, "old", "new", a=False) == ["xícó", "ðaþ", ""]


def test_convert_many_as_convert_over_batches_of_every_kind():
    # Short, long, decomposed and surrogate-bearing texts among each other, past one batch.
    kinds = ["Kheetsoy", "xícó šá", "kExO \U0001F600", "", "xi\u0301co\u0301", "a\udcffkh", MIXED * 200]
    texts = [kinds[i % len(kinds)] + str(i) for i in range(10_000)]
    for options in OPTION_SETS:
        expected = [orvani.convert(text, "old", "new", **options) for text in texts]
        assert orvani.convert_many(iter(texts), "old", "new", **options) == expected


@pytest.mark.parametrize(
    "texts, message",
    [
        (["ah", 1.5], "texts[1] must be str, not float"),
        (iter(["ah", "oy", None]), "texts[2] must be str, not NoneType"),
        ("Kheetsoy", "texts must be an iterable of str, not str"),
        (5, "texts must be an iterable of str, not int"),
    ],
)
def test_convert_many_names_what_is_wrong(texts, message):
    with pytest.raises(TypeError, match="^" + re.escape(message)):
        orvani.convert_many(texts, "old", "new")


def feed_all(pieces, source, target, **options):
    converter = orvani.Converter(source, target, **options)
    return "".join(converter.feed(piece) for piece in pieces) + converter.finish()


@pytest.mark.parametrize("source, target", itertools.product(NAMES, NAMES))
def test_lines_give_the_whole_text(source, target):
    for options in OPTION_SETS:
        lines = MIXED.splitlines(keepends=True)
        assert feed_all(lines, source, target, **options) == orvani.convert(
            MIXED, source, target, **options
        )


@pytest.mark.parametrize(
    "text, source, target",
    [
        ("Kheetsoy dhath, ohm uhr", "old", "new"),
        ("kExO dqT kh", "script", "old"),
        ("xi\u0301co\u0301 ða\u0301 e\u0301\u0323", "new", "old"),
        ("Khi\u0301 \udcffa\u0301 x", "old", "script"),
    ],
)
@pytest.mark.parametrize("normalize", [True, False])
def test_every_cut_gives_the_whole_text(text, source, target, normalize):
    whole = orvani.convert(text, source, target, normalize=normalize)
    for cut in range(len(text) + 1):
        pieces = [text[:cut], text[cut:]]
        assert feed_all(pieces, source, target, normalize=normalize) == whole, cut
    assert feed_all(list(text), source, target, normalize=normalize) == whole


def test_converter_starts_anew_after_finish():
    converter = orvani.Converter("old", "new")
    assert converter.feed("K") + converter.finish() == "k"
    assert converter.feed("h") + converter.finish() == "h"
    assert converter.feed("i\u0301") == ""  # may yet compose with what follows
    assert converter.finish() == "í"


def test_thread_pool_gives_the_same_results():
    # Long enough that each conversion lets go of the GIL.
    texts = [MIXED * (2000 + i) for i in range(8)]
    jobs = [(text, source, "new") for text in texts for source in NAMES]
    expected = [orvani.convert(*job) for job in jobs]
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        assert list(pool.map(lambda job: orvani.convert(*job), jobs)) == expected

        def stream(job):
            text, source, target = job
            return feed_all([text[: len(text) // 2], text[len(text) // 2 :]], source, target)

        assert list(pool.map(stream, jobs)) == expected


def test_help_shows_signatures_and_docstrings():
    assert orvani.convert.__doc__.startswith(
        "convert(text: str, source: str, target: str, *, a: bool = True, oh_uh: bool = False, "
        "normalize: bool = True, keep_case: bool = False) -> str\n"
    )
    assert "ValueError" in orvani.convert.__doc__
    assert orvani.Converter.__doc__.startswith("Converter(source: str, target: str, *")
    assert orvani.Converter.feed.__doc__.startswith("feed(text: str) -> str")
    assert orvani.standards.__doc__.startswith("standards() -> list[tuple[str, str]]")


def test_stub_names_what_the_module_has():
    stub = pathlib.Path(__file__).parent.parent / "orvani.pyi"
    tree = ast.parse(stub.read_text())
    names = set()
    for node in tree.body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            names.add(node.name)
        elif isinstance(node, ast.AnnAssign):
            names.add(node.target.id)
    public = {name for name in dir(orvani) if not name.startswith("_")} | {"__version__"}
    assert names == public
    converter = next(n for n in tree.body if isinstance(n, ast.ClassDef) and n.name == "Converter")
    methods = {n.name for n in converter.body if isinstance(n, ast.FunctionDef)}
    assert methods == {"__init__", "feed", "finish"}


@pytest.mark.parametrize("repeat", [1, 20000])
def test_keep_case_on_every_road(repeat):
    text, expected = "Kheetsoy SHOO. " * repeat, "Xícó ŠÚ. " * repeat
    assert orvani.convert(text, "old", "new", keep_case=True) == expected
    assert orvani.convert_many([text], "old", "new", keep_case=True) == [expected]
    assert feed_all([text[:7], text[7:]], "old", "new", keep_case=True) == expected
    document = orvani.convert_document(f"<p>{text}</p>".encode(), "html", "old", "new",
                                       keep_case=True)
    assert document.decode() == f"<p>{expected}</p>"


@pytest.mark.parametrize(
    "call",
    [
        lambda: orvani.convert("kExO", "script", "new", keep_case=True),
        lambda: orvani.convert_many(["Xícó"], "new", "script", keep_case=True),
        lambda: orvani.Converter("script", "old", keep_case=True),
        lambda: orvani.convert_document(b"<p>kExO</p>", "html", "script", "new", keep_case=True),
    ],
)
def test_keep_case_refused_with_script(call):
    with pytest.raises(ValueError, match="keep_case is for Old and New only"):
        call()
