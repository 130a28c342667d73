# Type-checked with mypy --strict against the stubs: every function and class used as documented.
import pathlib

import orvani

new: str = orvani.convert("Kheetsoy dhath", "old", "new", a=False, oh_uh=True, normalize=False)
many: list[str] = orvani.convert_many((word for word in ["ah", "oy"]), "old", "script", a=True)
names: list[tuple[str, str]] = orvani.standards()
version: str = orvani.__version__

converter = orvani.Converter("old", "new", oh_uh=True)
pieces: str = converter.feed("Kheetsoy dh") + converter.finish()

page: bytes = orvani.convert_document(b"<p>ah</p>", "html", "old", "new", by_font=False)
orvani.convert_file(pathlib.Path("in.docx"), "out.docx", "old", "new", format="docx",
                    script_font="Orvani Script")  # fmt: skip
try:
    orvani.convert_document(bytearray(b"PK"), "auto", "old", "new")
except orvani.DocumentError as error:
    part: str = error.part
