# Each line is an error that mypy --strict must report against the stubs.
import orvani

orvani.convert(b"Kheetsoy", "old", "new")  # bytes for str
orvani.convert("Kheetsoy", "old", "new", False)  # an option by position
number: int = orvani.convert_many(["ah"], "old", "new")  # a list, not an int
orvani.convert_document("<p>", "html", "old", "new")  # str for bytes
orvani.Converter("old", "new").feed(["ah"])  # a list for str
