"""Converts Orvani text between the Old, New and Orvani Script transcription standards."""

import os
from collections.abc import Iterable
from typing import Union

_Path = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]

__version__: str

def convert(
    text: str,
    source: str,
    target: str,
    *,
    a: bool = True,
    oh_uh: bool = False,
    normalize: bool = True,
    keep_case: bool = False,
) -> str:
    """Return `text` converted from the standard `source` to the standard `target`."""

def convert_many(
    texts: Iterable[str],
    source: str,
    target: str,
    *,
    a: bool = True,
    oh_uh: bool = False,
    normalize: bool = True,
    keep_case: bool = False,
) -> list[str]:
    """Return the list of the texts converted as convert() converts each."""

class DocumentError(ValueError):
    """A document that cannot be converted; `part` names the part of it that is wrong."""

    part: str

def convert_document(
    data: Union[bytes, bytearray, memoryview],
    format: str,
    source: str,
    target: str,
    *,
    a: bool = True,
    oh_uh: bool = False,
    normalize: bool = True,
    by_font: bool = True,
    script_font: str = "Orvani Script",
    keep_case: bool = False,
) -> bytes:
    """Return the document `data` converted with its formatting kept."""

def convert_file(
    src: _Path,
    dst: _Path,
    source: str,
    target: str,
    *,
    format: str = "auto",
    a: bool = True,
    oh_uh: bool = False,
    normalize: bool = True,
    by_font: bool = True,
    script_font: str = "Orvani Script",
    keep_case: bool = False,
) -> None:
    """Convert the document in the file `src` into the file `dst`, whole or not at all."""

def standards() -> list[tuple[str, str]]:
    """The standards as (name, display name) pairs."""

class Converter:
    """A conversion of a text that comes in pieces; pieces and finish() give the whole."""

    def __init__(
        self,
        source: str,
        target: str,
        *,
        a: bool = True,
        oh_uh: bool = False,
        normalize: bool = True,
        keep_case: bool = False,
    ) -> None: ...
    def feed(self, text: str) -> str:
        """Convert the next piece of the text; return what is converted so far of it."""
    def finish(self) -> str:
        """Return the rest of the converted text; the converter then starts anew."""
