import io
import os
import subprocess
import zipfile

import pytest

import orvani

CLI = os.environ.get("ORVANICONV_CLI")
needs_cli = pytest.mark.skipif(not CLI, reason="ORVANICONV_CLI names no filter")

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
OFFICE = "urn:oasis:names:tc:opendocument:xmlns:office:1.0"
TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"


def make_zip(entries):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        for name, data in entries:
            stored = zipfile.ZIP_STORED if name == "mimetype" else zipfile.ZIP_DEFLATED
            archive.writestr(name, data, compress_type=stored)
    return out.getvalue()


def make_docx(document_xml):
    return make_zip([
        ("[Content_Types].xml",
         '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
         '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
         '<Default Extension="xml" ContentType="application/xml"/>'
         '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>'),
        ("_rels/.rels",
         '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
         '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>'),
        ("word/document.xml", document_xml),
    ])  # fmt: skip


def docx_of(text):
    return make_docx(f'<?xml version="1.0" encoding="UTF-8"?><w:document xmlns:w="{W}"><w:body>'
                     f"<w:p><w:r><w:t>{text}</w:t></w:r></w:p></w:body></w:document>")  # fmt: skip


def odt_of(text):
    return make_zip([
        ("mimetype", "application/vnd.oasis.opendocument.text"),
        ("META-INF/manifest.xml",
         '<?xml version="1.0" encoding="UTF-8"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">'
         '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>'
         '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/></manifest:manifest>'),
        ("content.xml",
         f'<?xml version="1.0" encoding="UTF-8"?><office:document-content xmlns:office="{OFFICE}" xmlns:text="{TEXT}" office:version="1.3">'
         f"<office:body><office:text><text:p>{text}</text:p></office:text></office:body></office:document-content>"),
    ])  # fmt: skip


DOCUMENTS = {
    "html": b"<html><body><p>Kheetsoy <b>dh</b>ath</p></body></html>",
    "docx": docx_of("Kheetsoy dhath"),
    "odt": odt_of("Kheetsoy dhath"),
    "text": "Kheetsoy dhath\n".encode(),
    "rtf": rb"{\rtf1\ansi Kheetsoy {\b dh}ath\par}",
}


def parts_text(data):
    with zipfile.ZipFile(io.BytesIO(data)) as archive:
        return b"".join(archive.read(name) for name in archive.namelist()).decode()


def test_each_format_converts():
    assert orvani.convert_document(DOCUMENTS["html"], "html", "old", "new") == (
        "<html><body><p>xícó <b>ð</b>æþ</p></body></html>".encode())
    assert orvani.convert_document(DOCUMENTS["text"], "TEXT", "old", "new") == "xícó ðæþ\n".encode()
    for name in ("docx", "odt"):
        converted = orvani.convert_document(bytearray(DOCUMENTS[name]), name, "old", "new")
        assert "xícó ðæþ" in parts_text(converted) and "Kheetsoy" not in parts_text(converted)


@needs_cli
@pytest.mark.parametrize("name", sorted(DOCUMENTS))
def test_documents_and_files_as_the_filter(name, tmp_path):
    source = tmp_path / f"letter.{name if name != 'text' else 'txt'}"
    source.write_bytes(DOCUMENTS[name])
    expected = subprocess.run([CLI, "-f", "old", "-t", "new", str(source)], capture_output=True,
                              check=True).stdout  # fmt: skip
    assert orvani.convert_document(DOCUMENTS[name], "auto", "old", "new") == expected
    orvani.convert_file(source, tmp_path / "converted", "old", "new")
    assert (tmp_path / "converted").read_bytes() == expected
    orvani.convert_file(str(source), str(source), "old", "new", format=name)
    assert source.read_bytes() == expected


@pytest.mark.parametrize(
    "data, format, part, says",
    [
        (make_docx("<w:document><w:body>"), "docx", "word/document.xml", "word/document.xml: "),
        (b"PK\x03\x04 not an archive", "docx", "", "zip"),
        (b"Kheetsoy \xff dhath", "text", "", "invalid UTF-8 at byte 9"),
    ],
)
def test_document_errors_name_the_part_and_nothing_is_written(data, format, part, says, tmp_path):
    with pytest.raises(orvani.DocumentError) as raised:
        orvani.convert_document(data, format, "old", "new")
    assert isinstance(raised.value, ValueError)
    assert raised.value.part == part and says in str(raised.value)
    source = tmp_path / "broken"
    source.write_bytes(data)
    kept = tmp_path / "kept"
    kept.write_bytes(b"as it was")
    for target in (kept, tmp_path / "new"):
        with pytest.raises(orvani.DocumentError, match=f"^{source}: "):
            orvani.convert_file(source, target, "old", "new", format=format)
    assert kept.read_bytes() == b"as it was"
    assert sorted(os.listdir(tmp_path)) == ["broken", "kept"]


def test_file_errors_are_oserrors_naming_the_file(tmp_path):
    with pytest.raises(FileNotFoundError) as raised:
        orvani.convert_file(tmp_path / "missing.html", tmp_path / "out.html", "old", "new")
    assert raised.value.filename == tmp_path / "missing.html"
    (tmp_path / "in.html").write_bytes(DOCUMENTS["html"])
    with pytest.raises(FileNotFoundError) as raised:
        orvani.convert_file(tmp_path / "in.html", tmp_path / "no" / "out.html", "old", "new")
    assert raised.value.filename == tmp_path / "no" / "out.html"


def test_a_replaced_file_keeps_its_permissions_and_a_new_one_follows_the_umask(tmp_path):
    source = tmp_path / "in.html"
    source.write_bytes(DOCUMENTS["html"])
    replaced = tmp_path / "replaced.html"
    replaced.write_bytes(b"")
    replaced.chmod(0o640)
    orvani.convert_file(source, replaced, "old", "new")
    assert replaced.stat().st_mode & 0o777 == 0o640
    umask = os.umask(0o022)
    os.umask(umask)
    orvani.convert_file(source, tmp_path / "new.html", "old", "new")
    assert (tmp_path / "new.html").stat().st_mode & 0o777 == 0o666 & ~umask


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: orvani.convert_document("<p>", "html", "old", "new"), TypeError,
         "data must be bytes, not str (a document is bytes"),
        (lambda: orvani.convert_document(b"<p>", "pdf", "old", "new"), ValueError,
         "unknown document format 'pdf'"),
        (lambda: orvani.convert_document(b"<p>", "html", "old", "new", by_font="yes"), TypeError,
         "by_font must be bool, not str"),
        (lambda: orvani.convert_file(3.5, "out", "old", "new"), TypeError,
         "src must be str, bytes or os.PathLike, not float"),
        (lambda: orvani.convert_file("in", "out", "old", "new", "html"), TypeError,
         "convert_file() takes 4 positional arguments but 5 were given"),
    ],
)  # fmt: skip
def test_argument_errors(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert str(raised.value).startswith(message)


@needs_cli
@pytest.mark.parametrize(
    "options, arguments",
    [
        ({}, []),
        ({"by_font": False}, ["--all-text"]),
        ({"script_font": "Old Script"}, ["--script-font=Old Script"]),
        ({"a": False, "oh_uh": True, "normalize": False}, ["--no-a", "--oh-uh", "--no-normalize"]),
    ],
)
def test_options_as_the_filters(options, arguments, tmp_path):
    html = '<p><font face="Orvani Script">kExO</font> Kheetsoy ah oh</p>'
    html += '<p><font face="Old Script">kExO</font> dhath</p>'
    page = tmp_path / "page.html"
    page.write_text(html, encoding="utf-8")
    for source in ("script", "old"):
        command = [CLI, "-f", source, "-t", "new", *arguments, str(page)]
        expected = subprocess.run(command, capture_output=True, check=True).stdout
        assert orvani.convert_document(html.encode(), "html", source, "new", **options) == expected
