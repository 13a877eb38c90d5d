#!/usr/bin/env python3
"""Writes Folioknife's example documents into resources/Samples.

Each document is written as flat OpenDocument XML and converted to .odt by a headless LibreOffice
with a throw-away profile. Run it after changing a sample; the .odt files are committed.
"""
import html
import os
import shutil
import subprocess
import tempfile

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "Samples")

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:styles>
 <style:style style:name="Heading" style:family="paragraph">
  <style:text-properties fo:font-size="16pt" fo:font-weight="bold"/></style:style>
</office:styles>
<office:automatic-styles>
 <style:style style:name="Break" style:family="paragraph" style:parent-style-name="Heading">
  <style:paragraph-properties fo:break-before="page"/></style:style>
 <style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm"
  fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="2cm" fo:margin-right="2cm"/>
  <style:header-style/><style:footer-style/></style:page-layout>
</office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1">%s</style:master-page>
</office:master-styles>
<office:body><office:text>
"""
TAIL = "</office:text></office:body></office:document>\n"


def p(text, style=None):
    attr = ' text:style-name="%s"' % style if style else ""
    return "<text:p%s>%s</text:p>\n" % (attr, html.escape(text))


def page(title, paragraphs, first=False):
    return p(title, "Heading" if first else "Break") + "".join(p(x) for x in paragraphs)


def table(rows):
    out = '<table:table table:name="Prices"><table:table-column table:number-columns-repeated="%d"/>' % len(rows[0])
    for row in rows:
        out += "<table:table-row>" + "".join(
            '<table:table-cell office:value-type="string">%s</table:table-cell>' % p(c) for c in row) + "</table:table-row>"
    return out + "</table:table>\n"


LOREM = ("Folioknife stores every page of a document as a document of its own. This paragraph is here so that the "
         "page has some body text to carry over.")

SAMPLES = {
    "Welcome letter.odt": ("", page("Welcome to Folioknife", [
        "Dear reader,", LOREM,
        "Press Start Splitting and this one-page letter becomes Welcome letter_0001.odt in the output folder.",
        "Kind regards,", "Team Kestrune"], first=True)),
    "Quarterly report.odt": (
        "<style:header><text:p>Quarterly report - Kestrune</text:p></style:header>"
        "<style:footer><text:p>Confidential - for the example only</text:p></style:footer>",
        page("1. Summary", [LOREM] * 3, first=True) + page("2. Figures", [LOREM] * 2) + page("3. Outlook", [LOREM])),
    "Price list.odt": ("", page("Price list", ["All prices in euro."], first=True) + table(
        [["Item", "Unit", "Price"], ["Paper, A4", "500 sheets", "4.90"], ["Toner", "1 cartridge", "39.00"],
         ["Binder", "1 piece", "2.50"]]) + p("Prices valid until further notice.") +
        page("Terms", ["Payment within 14 days.", LOREM])),
    "Grüße aus Köln – Привет.odt": ("", page("Grüße aus Köln", [
        "Schöne Grüße und vielen Dank für Ihre Geduld: Umlaute wie ä, ö, ü und ß bleiben erhalten."], first=True) +
        page("Привет из Москвы", ["Этот документ проверяет кириллицу.", "日本語のテキストもあります。"])),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    work = tempfile.mkdtemp()
    try:
        sources = []
        for name, (header, body) in SAMPLES.items():
            source = os.path.join(work, os.path.splitext(name)[0] + ".fodt")
            with open(source, "w", encoding="utf-8") as f:
                f.write(HEAD % header + body + TAIL)
            sources.append(source)
        subprocess.run(["soffice", "--headless", "--norestore", "-env:UserInstallation=file://" + work + "/profile",
                        "--convert-to", "odt", "--outdir", OUT] + sources, check=True)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
