"""Printing on a machine without a printer: the summary goes to a PDF file."""

import re
import shutil
import subprocess

import pytest

from support.files import user_dir

pytestmark = pytest.mark.xvfb


def test_printing_five_pages_without_a_printer_writes_a_pdf_that_reads_back(
        start_app, five_project, folder):
    docs = folder / "documents"
    user_dir(folder, "XDG_DOCUMENTS_DIR", docs)
    app = start_app(five_project, top=0, left=0, height=492, width=649)
    # "&Print..." shares its mnemonic with "New &Page": the second P reaches it.
    app.menu("alt+f", "p", "p", "Return")
    told = app.wait(lambda: app.find_viewable("Information"), 10, "a message box after Print")
    pdf = docs / "KVT PROJECT.pdf"
    assert pdf.exists() and pdf.stat().st_size > 0, f"no PDF file at {pdf}"
    shutil.copy(pdf, folder)
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True,
                          timeout=20).stdout
    pages = re.findall(r"Page: (00[0-4])", text)
    assert pages == ["000", "001", "002", "003", "004"], f"pages {pages} in {text[:300]!r}"
    for words in ("xvfb.kvt Pages : 004", "Total Pages: 004", "First4"):
        assert words in text, f"the PDF does not read as the five-page summary: {text[:300]}"
    subprocess.run(["pdftoppm", "-png", "-r", "40", "-f", "1", "-l", "1", pdf,
                    folder / "m-print"], check=True, timeout=30)
    app.close_with(told, "Return", "the message box about the PDF file")
