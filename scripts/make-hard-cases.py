#!/usr/bin/env python3
"""Writes the hard test documents for page splitting into tests/data/hard-cases.

Each document is small (2 to 6 pages) and holds one layout feature that a page split can get wrong;
the two crowded-pictures documents run to 24 and 28 pages, for it takes many pictures to move a layout.
They are written as flat OpenDocument XML and converted by a headless LibreOffice with a throw-away
profile; then every document is exported to PDF with blank pages kept, and the page counts that
LibreOffice lays out are printed and written to expected.json. The documents are committed.
"""
import base64
import html
import json
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

OUT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "hard-cases"))
PDF_KEEP_BLANK = 'pdf:writer_pdf_Export:{"IsSkipEmptyPages":{"type":"boolean","value":"false"}}'

# Real words, so that a word-by-word comparison of outputs with their input means something.
WORDS = """
harbour lantern orchard meadow granite cobalt willow thistle saddle copper ledger compass anchor
bramble candle drizzle ember falcon glacier hazel island juniper kettle lattice marble nectar
oyster pepper quarry raven sparrow timber umber valley walnut yarrow zephyr acorn beacon cedar
dune estuary fern gable heron ivory jasmine kelp lagoon mantle nutmeg otter pebble quill reed
saffron tundra upland vessel wharf basalt canyon delta fjord grove hollow inlet jetty knoll
ledge marsh noon outcrop prairie ridge shoal terrace vista archive binder chapter draft edition
folio glossary index journal margin notebook outline paragraph quarto register sheet treatise
volume ballad chorus ditty elegy fable hymn lyric madrigal ode psalm rhyme sonnet verse carpenter
cooper draper farrier glazier joiner mason miller potter smith tanner weaver amber azure crimson
indigo lilac maroon ochre russet scarlet teal violet quietly briskly gently slowly warmly boldly
calmly deftly evenly firmly gladly neatly openly plainly rarely softly truly wisely gather
measure polish carry follow borrow wander settle travel whisper balance harvest kindle linger
mend ponder gallop ripple shelter stitch tether unfold venture wrestle beneath across between
during toward within without under over after before although because unless whereas while
northern southern eastern western early late ancient modern golden silver hidden open narrow
wide steep gentle bright dim hollow solid brittle supple quiet restless patient eager careful
""".split()


def sentences(seed, count, lo=8, hi=16):
    """Deterministic text of `count` sentences: the documents must not change between runs."""
    rnd = random.Random(seed)
    out = []
    for _ in range(count):
        words = [rnd.choice(WORDS) for _ in range(rnd.randint(lo, hi))]
        out.append(" ".join(words).capitalize() + ".")
    return " ".join(out)


NS = """xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:loext="urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text\""""

# Shared styles: fonts are pinned to Liberation so that layout does not depend on the machine.
STYLES = """
 <style:default-style style:family="paragraph">
  <style:paragraph-properties fo:orphans="2" fo:widows="2"/>
  <style:text-properties style:font-name="Liberation Serif" fo:font-family="'Liberation Serif'"
   fo:font-size="11pt" fo:language="en" fo:country="GB" fo:hyphenate="false"/></style:default-style>
 <style:style style:name="Standard" style:family="paragraph" style:class="text"/>
 <style:style style:name="Text_20_body" style:display-name="Text body" style:family="paragraph"
  style:parent-style-name="Standard"><style:paragraph-properties fo:margin-bottom="0.2cm"/></style:style>
 <style:style style:name="Title" style:family="paragraph" style:parent-style-name="Standard">
  <style:paragraph-properties fo:text-align="center" fo:margin-top="6cm" fo:margin-bottom="1cm"/>
  <style:text-properties fo:font-size="26pt" fo:font-weight="bold"/></style:style>
 <style:style style:name="Heading" style:family="paragraph" style:parent-style-name="Standard">
  <style:paragraph-properties fo:margin-top="0.4cm" fo:margin-bottom="0.2cm" fo:keep-with-next="always"/>
  <style:text-properties style:font-name="Liberation Sans" fo:font-family="'Liberation Sans'"
   fo:font-size="15pt" fo:font-weight="bold"/></style:style>
 <style:style style:name="Heading_20_1" style:display-name="Heading 1" style:family="paragraph"
  style:parent-style-name="Heading" style:default-outline-level="1" style:class="text"/>
 <style:style style:name="Heading_20_2" style:display-name="Heading 2" style:family="paragraph"
  style:parent-style-name="Heading" style:default-outline-level="2" style:class="text">
  <style:text-properties fo:font-size="13pt"/></style:style>
 <style:style style:name="Table_20_Contents" style:display-name="Table Contents" style:family="paragraph"
  style:parent-style-name="Standard"/>
 <style:style style:name="Table_20_Heading" style:display-name="Table Heading" style:family="paragraph"
  style:parent-style-name="Table_20_Contents"><style:text-properties fo:font-weight="bold"/></style:style>
 <style:style style:name="Header" style:family="paragraph" style:parent-style-name="Standard">
  <style:text-properties fo:font-size="9pt" fo:font-style="italic"/></style:style>
 <style:style style:name="Footer" style:family="paragraph" style:parent-style-name="Standard">
  <style:paragraph-properties fo:text-align="center"/><style:text-properties fo:font-size="9pt"/></style:style>
 <style:style style:name="Footnote" style:family="paragraph" style:parent-style-name="Standard">
  <style:text-properties fo:font-size="9pt"/></style:style>
 <style:style style:name="Caption" style:family="paragraph" style:parent-style-name="Standard">
  <style:paragraph-properties fo:margin-top="0.2cm" fo:margin-bottom="0.2cm"/>
  <style:text-properties fo:font-style="italic"/></style:style>
 <style:style style:name="Contents_20_Heading" style:display-name="Contents Heading" style:family="paragraph"
  style:parent-style-name="Heading"/>
 <style:style style:name="Contents_20_1" style:display-name="Contents 1" style:family="paragraph"
  style:parent-style-name="Standard"><style:paragraph-properties>
  <style:tab-stops><style:tab-stop style:position="17cm" style:type="right" style:leader-style="dotted"
   style:leader-text="."/></style:tab-stops></style:paragraph-properties></style:style>
 <style:style style:name="Contents_20_2" style:display-name="Contents 2" style:family="paragraph"
  style:parent-style-name="Standard"><style:paragraph-properties fo:margin-left="0.5cm">
  <style:tab-stops><style:tab-stop style:position="16.5cm" style:type="right" style:leader-style="dotted"
   style:leader-text="."/></style:tab-stops></style:paragraph-properties></style:style>
 <text:outline-style style:name="Outline">
  <text:outline-level-style text:level="1" style:num-format="1" style:num-suffix=" "/>
  <text:outline-level-style text:level="2" style:num-format="1" text:display-levels="2" style:num-suffix=" "/>
 </text:outline-style>
 <text:notes-configuration text:note-class="footnote" style:num-format="1" text:start-value="0"
  text:footnotes-position="page" text:start-numbering-at="document"/>
"""


def layout(name, width="21cm", height="29.7cm", margins=("2cm", "2cm", "2cm", "2cm"), usage=None,
           header=True, footer=True, landscape=False):
    top, bottom, left, right = margins
    extra = ' style:page-usage="%s"' % usage if usage else ""
    orient = ' style:print-orientation="%s"' % ("landscape" if landscape else "portrait")
    hf = '<style:header-style><style:header-footer-properties fo:min-height="0.6cm" fo:margin-bottom="0.3cm"/>' \
         '</style:header-style>' if header else "<style:header-style/>"
    hf += '<style:footer-style><style:header-footer-properties fo:min-height="0.6cm" fo:margin-top="0.3cm"/>' \
          '</style:footer-style>' if footer else "<style:footer-style/>"
    return ('<style:page-layout style:name="%s"%s><style:page-layout-properties fo:page-width="%s" '
            'fo:page-height="%s"%s fo:margin-top="%s" fo:margin-bottom="%s" fo:margin-left="%s" '
            'fo:margin-right="%s"/>%s</style:page-layout>\n' % (name, extra, width, height, orient, top, bottom,
                                                                 left, right, hf))


def master(name, layout_name, header="", footer="", display=None, next_style=None):
    attrs = ' style:display-name="%s"' % display if display else ""
    attrs += ' style:next-style-name="%s"' % next_style if next_style else ""
    hf = ""
    if header:
        hf += '<style:header><text:p text:style-name="Header">%s</text:p></style:header>' % header
    if footer:
        hf += '<style:footer><text:p text:style-name="Footer">%s</text:p></style:footer>' % footer
    return '<style:master-page style:name="%s"%s style:page-layout-name="%s">%s</style:master-page>\n' % (
        name, attrs, layout_name, hf)


# Paragraph styles that start a new page, with or without a change of page style.
BREAKS = """
 <style:style style:name="PBreak" style:family="paragraph" style:parent-style-name="Heading_20_1">
  <style:paragraph-properties fo:break-before="page"/></style:style>
"""


def break_to(style_name, master_name, parent="Heading_20_1"):
    return ('<style:style style:name="%s" style:family="paragraph" style:parent-style-name="%s" '
            'style:master-page-name="%s"/>\n' % (style_name, parent, master_name))


def document(body, automatic="", masters="", extra_styles="", sequences=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document %s>\n<office:styles>%s%s</office:styles>\n'
            '<office:automatic-styles>%s%s</office:automatic-styles>\n<office:master-styles>%s'
            '</office:master-styles>\n<office:body><office:text>%s\n%s</office:text></office:body>'
            '</office:document>\n' % (NS, STYLES, extra_styles, BREAKS, automatic, masters, sequences, body))


def p(text, style="Text_20_body"):
    return '<text:p text:style-name="%s">%s</text:p>\n' % (style, html.escape(text))


def h(text, level=1, style=None):
    return '<text:h text:style-name="%s" text:outline-level="%d">%s</text:h>\n' % (
        style or "Heading_20_%d" % level, level, html.escape(text))


PAGE_FIELDS = 'Page <text:page-number text:select-page="current">1</text:page-number> of ' \
              '<text:page-count>1</text:page-count>'


def table(name, header, rows, repeat_header=True, style=None):
    cols = len(header)
    attr = ' table:style-name="%s"' % style if style else ""
    out = '<table:table table:name="%s"%s><table:table-column table:number-columns-repeated="%d"/>\n' % (
        name, attr, cols)

    def row(cells, pstyle):
        return "<table:table-row>" + "".join(
            '<table:table-cell table:style-name="Cell" office:value-type="string">%s</table:table-cell>' % p(c, pstyle)
            for c in cells) + "</table:table-row>\n"

    if repeat_header:
        out += "<table:table-header-rows>" + row(header, "Table_20_Heading") + "</table:table-header-rows>\n"
    else:
        out += row(header, "Table_20_Heading")
    return out + "".join(row(r, "Table_20_Contents") for r in rows) + "</table:table>\n"


CELL_STYLE = """
 <style:style style:name="Cell" style:family="table-cell"><style:table-cell-properties fo:padding="0.05cm"
  fo:border="0.5pt solid #000000"/></style:style>
"""


def table_rows(seed, count, cols):
    rnd = random.Random(seed)
    return [["%s %d" % (rnd.choice(WORDS).capitalize(), i + 1)] +
            [" ".join(rnd.choice(WORDS) for _ in range(rnd.randint(1, 3))) for _ in range(cols - 1)]
            for i in range(count)]


def png(width, height, pixel):
    """A grey-scale PNG made with the standard library; pixel(x, y) gives 0..255."""
    raw = b"".join(b"\x00" + bytes(pixel(x, y) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def logo_pixel(x, y):
    # A dark ring with a cross: plenty of ink, and its position is easy to check on a rendering.
    cx, cy = x - 47.5, y - 47.5
    r = (cx * cx + cy * cy) ** 0.5
    return 20 if 34 <= r <= 46 or abs(cx) < 5 or abs(cy) < 5 else 255


def chart_pixel(x, y):
    # Bars of different heights, as in a small chart.
    bar = x // 20
    heights = [30, 55, 40, 70, 25, 60, 45, 75]
    return 40 if x % 20 < 14 and 80 - y < heights[bar % len(heights)] else 255


def image(name, data, anchor, width, height, x=None, y=None, page=None):
    pos = ""
    if x is not None:
        pos = ' svg:x="%s" svg:y="%s"' % (x, y)
    if page is not None:
        pos += ' text:anchor-page-number="%d"' % page
    return ('<draw:frame draw:style-name="Pic" draw:name="%s" text:anchor-type="%s" svg:width="%s" '
            'svg:height="%s"%s><draw:image><office:binary-data>%s</office:binary-data></draw:image>'
            '</draw:frame>' % (name, anchor, width, height, pos, base64.b64encode(data).decode()))


def plain(body, automatic="", header="", footer="", extra_styles="", sequences=""):
    return document(body, automatic=layout("pm1") + automatic, masters=master("Standard", "pm1", header, footer),
                    extra_styles=extra_styles, sequences=sequences)


# ---------------------------------------------------------------------------------------------------------------
# The documents. Each builder returns flat OpenDocument XML; `pages` maps a heading to its page, for the TOC.

def left_right_blank(_pages):
    # A title page, then a chapter that must start on a right-hand page: page 2 is left, so the office
    # inserts a blank page. Left and right pages have their own margins and headers.
    automatic = (layout("pmTitle", header=False, footer=False) +
                 layout("pmRight", margins=("2cm", "2cm", "3.5cm", "1.5cm"), usage="right") +
                 layout("pmLeft", margins=("2cm", "2cm", "1.5cm", "3.5cm"), usage="left") +
                 break_to("ToTitle", "Title_20_Page", "Title") + break_to("ToRight", "Right_20_Page", "Heading"))
    masters = (master("Title_20_Page", "pmTitle", display="Title Page", next_style="Right_20_Page") +
               master("Right_20_Page", "pmRight", header="Harbour chronicle, right-hand page", display="Right Page",
                      footer='<text:page-number text:select-page="current">1</text:page-number>',
                      next_style="Left_20_Page") +
               master("Left_20_Page", "pmLeft", header="Left-hand page of the harbour chronicle", display="Left Page",
                      footer='<text:page-number text:select-page="current">1</text:page-number>',
                      next_style="Right_20_Page"))
    body = p("The Harbour Chronicle", "ToTitle") + p("A story of lanterns and quarries", "Standard")
    body += p("Chapter One: The Orchard", "ToRight")
    for i in range(9):
        body += p(sentences(100 + i, 6))
    body += p("Chapter Two: The Glacier", "ToRight")
    for i in range(3):
        body += p(sentences(200 + i, 5))
    return document(body, automatic=automatic, masters=masters)


def title_page(_pages):
    automatic = (layout("pmTitle", margins=("4cm", "2cm", "3cm", "3cm"), header=False, footer=False) + layout("pm1") +
                 break_to("ToTitle", "First_20_Page", "Title") + break_to("ToBody", "Standard"))
    masters = (master("First_20_Page", "pmTitle", display="First Page", next_style="Standard") +
               master("Standard", "pm1", header="Annual survey of the northern valleys", footer=PAGE_FIELDS))
    body = p("Survey of the Northern Valleys", "ToTitle") + p("Prepared by the Weavers and Millers Guild", "Standard")
    body += p("Introduction", "ToBody")
    for i in range(14):
        body += p(sentences(300 + i, 6))
    return document(body, automatic=automatic, masters=masters)


def header_footer_fields(_pages):
    body = h("Ledger of the copper quarry")
    for i in range(24):
        body += p(sentences(400 + i, 6))
    return plain(body, header="Copper quarry ledger, kept by the miller", footer=PAGE_FIELDS)


def table_three_pages(_pages):
    body = h("Register of vessels") + p(sentences(500, 3))
    body += table("Vessels", ["Vessel", "Cargo", "Harbour", "Master"], table_rows(501, 125, 4))
    body += p("End of the register. " + sentences(502, 2))
    return plain(body, automatic=CELL_STYLE)


def starts_with_table(_pages):
    body = table("Inventory", ["Item", "Material", "Colour"], table_rows(600, 70, 3), repeat_header=False)
    body += p(sentences(601, 5)) + p(sentences(602, 4))
    return plain(body, automatic=CELL_STYLE)


def paragraph_across_pages(_pages):
    automatic = ('<style:style style:name="Indented" style:family="paragraph" style:parent-style-name="Text_20_body">'
                 '<style:paragraph-properties fo:text-indent="1.25cm" fo:text-align="justify"/></style:style>\n')
    body = h("The long walk to the estuary")
    for i in range(5):
        body += p(sentences(700 + i, 7), "Indented")
    body += p(sentences(710, 60), "Indented")  # long enough to run from page 1 onto page 2 and beyond
    body += p(sentences(711, 6), "Indented")
    return plain(body, automatic=automatic)


NUMBERING_123 = """
 <text:list-style style:name="Numbering_20_123" style:display-name="Numbering 123">
  <text:list-level-style-number text:level="1" style:num-format="1" style:num-suffix=".">
   <style:list-level-properties text:list-level-position-and-space-mode="label-alignment">
    <style:list-level-label-alignment text:label-followed-by="listtab" text:list-tab-stop-position="1cm"
     fo:text-indent="-0.6cm" fo:margin-left="1cm"/></style:list-level-properties>
  </text:list-level-style-number></text:list-style>
"""


def numbered_list(_pages):
    extra = NUMBERING_123
    body = h("Steps for building a cedar boat") + p(sentences(800, 2))
    body += '<text:list text:style-name="Numbering_20_123">\n'
    for i in range(38):
        body += "<text:list-item>%s</text:list-item>\n" % p(sentences(810 + i, 3, 8, 14))
    body += "</text:list>\n" + p(sentences(802, 2))
    return plain(body, extra_styles=extra)


def footnotes(_pages):
    def note(n, seed):
        return ('<text:note text:id="ftn%d" text:note-class="footnote"><text:note-citation>%d</text:note-citation>'
                '<text:note-body>%s</text:note-body></text:note>' % (n, n, p(sentences(seed, 2), "Footnote")))

    body = h("Notes on the falcon and the heron")
    n = 0
    for i in range(26):
        text = html.escape(sentences(900 + i, 5))
        if i % 3 == 1:
            n += 1
            cut = text.index(".") + 1
            text = text[:cut] + note(n, 950 + n) + text[cut:]
        body += '<text:p text:style-name="Text_20_body">%s</text:p>\n' % text
    return plain(body)


def pictures(_pages):
    automatic = ('<style:style style:name="Pic" style:family="graphic"><style:graphic-properties '
                 'style:wrap="none" style:vertical-pos="top" style:horizontal-pos="center" '
                 'style:vertical-rel="paragraph" style:horizontal-rel="paragraph"/></style:style>\n'
                 '<style:style style:name="PicPage" style:family="graphic" style:parent-style-name="Pic">'
                 '<style:graphic-properties style:wrap="none" style:vertical-pos="from-top" '
                 'style:horizontal-pos="from-left" style:vertical-rel="page" style:horizontal-rel="page"/>'
                 '</style:style>\n')
    # The page-anchored logo sits at the top right of page 2; page-anchored frames live before the text.
    logo = image("Logo", png(96, 96, logo_pixel), "page", "2.5cm", "2.5cm", x="16.5cm", y="0.7cm", page=2)
    logo = logo.replace('draw:style-name="Pic"', 'draw:style-name="PicPage"')
    chart = image("Chart", png(160, 80, chart_pixel), "paragraph", "8cm", "4cm")
    body = logo + h("Lighthouse keepers' report")
    for i in range(5):
        body += p(sentences(1000 + i, 6))
    body += '<text:p text:style-name="Text_20_body">%s%s</text:p>\n' % (chart, html.escape(sentences(1010, 4)))
    for i in range(12):
        body += p(sentences(1020 + i, 6))
    return plain(body, automatic=automatic)


# Pictures of frames styled "Pic": centred on their paragraph's top, no text beside them.
UNWRAPPED_PICTURE = ('<style:style style:name="Pic" style:family="graphic"><style:graphic-properties '
                     'style:wrap="none" style:vertical-pos="top" style:horizontal-pos="center" '
                     'style:vertical-rel="paragraph" style:horizontal-rel="paragraph"/></style:style>\n')


def picture_at_foot(_pages):
    # A paragraph whose picture just fits at the foot of page 1 while its first line does not fit under
    # it: the office keeps the picture there and moves the paragraph's text to page 2.
    automatic = UNWRAPPED_PICTURE
    body = h("Soundings of the outer bank")
    for i in range(5):
        body += p(sentences(4000 + i, 7))
    chart = image("Chart", png(160, 80, chart_pixel), "paragraph", "8cm", "9.8cm")
    body += '<text:p text:style-name="Text_20_body">%s%s</text:p>\n' % (chart, html.escape(sentences(4100, 4)))
    for i in range(4):
        body += p(sentences(4200 + i, 5))
    return plain(body, automatic=automatic)


def crowded_pictures(variant):
    # Many large pictures anchored to paragraphs, as in a report full of charts. The office leaves some
    # at a page's foot while their paragraph's text starts on the next page, and lays the pages out
    # differently once anything is inserted into them (variant 0); it lifts a picture that would run
    # off the foot of a page above its paragraph, over the text (variant 2).
    automatic = UNWRAPPED_PICTURE
    body = ""
    for i in range(150):
        seed = 10000 * (variant + 1) + i
        if i % 9 == 0:
            body += h("Section %d.%d" % (variant + 1, i // 9))
        if i % (3 + variant) == 1:
            chart = image("Chart%d" % i, png(160, 80, chart_pixel), "paragraph", "%dcm" % (6 + i % 4),
                          "%.1fcm" % (2.5 + (i * 37 % 90) / 10.0))
            body += '<text:p text:style-name="Text_20_body">%s%s</text:p>\n' % (chart, html.escape(sentences(seed, 2 + i % 6)))
        else:
            body += p(sentences(seed, 2 + (i * 5) % 8))
    return plain(body, automatic=automatic)


def two_columns(_pages):
    automatic = ('<style:style style:name="Cols" style:family="section"><style:section-properties>'
                 '<style:columns fo:column-count="2" fo:column-gap="0.8cm"/></style:section-properties></style:style>\n'
                 '<style:style style:name="Just" style:family="paragraph" style:parent-style-name="Text_20_body">'
                 '<style:paragraph-properties fo:text-align="justify"/></style:style>\n')
    body = h("Gazette of the western upland") + p(sentences(1100, 3))
    body += '<text:section text:style-name="Cols" text:name="Columns">\n'
    for i in range(22):
        body += p(sentences(1110 + i, 6), "Just")
    body += "</text:section>\n" + p("After the columns: " + sentences(1101, 2))
    return plain(body, automatic=automatic)


TOC_CHAPTERS = [("Origins of the orchard", ["Early planting", "The walnut grove"]),
                ("Tools of the trade", ["Kettles and ledgers", "Quills"]),
                ("Seasons", ["Harvest", "Frost and glacier"]),
                ("Epilogue", [])]


def toc(pages):
    sequences = '<text:sequence-decls><text:sequence-decl text:display-outline-level="0" text:name="Table"/>' \
                '</text:sequence-decls>'
    entries = ""
    for c, (chapter, sections) in enumerate(TOC_CHAPTERS, 1):
        entries += p("%d %s\t%s" % (c, chapter, pages.get(chapter, "9")), "Contents_20_1").replace(
            "\t", "<text:tab/>")
        for s, section in enumerate(sections, 1):
            entries += p("%d.%d %s\t%s" % (c, s, section, pages.get(section, "9")), "Contents_20_2").replace(
                "\t", "<text:tab/>")
    template = ''.join(
        '<text:table-of-content-entry-template text:outline-level="%d" text:style-name="Contents_20_%d">'
        '<text:index-entry-chapter/><text:index-entry-text/><text:index-entry-tab-stop style:type="right" '
        'style:leader-char="."/><text:index-entry-page-number/></text:table-of-content-entry-template>' % (n, n)
        for n in (1, 2))
    body = p("Almanac of the Orchard", "Title")
    body += ('<text:table-of-content text:name="Table of Contents1"><text:table-of-content-source '
             'text:outline-level="2"><text:index-title-template text:style-name="Contents_20_Heading">Contents'
             '</text:index-title-template>%s</text:table-of-content-source><text:index-body>'
             '<text:index-title text:name="Table of Contents1_Head">%s</text:index-title>%s</text:index-body>'
             '</text:table-of-content>\n' % (template, p("Contents", "Contents_20_Heading"), entries))
    n_table = 0
    for c, (chapter, sections) in enumerate(TOC_CHAPTERS, 1):
        body += h(chapter, 1, "PBreak") + p(sentences(1200 + c, 6))
        for s, section in enumerate(sections, 1):
            body += h(section, 2)
            body += p(sentences(1200 + 10 * c + s, 9))
            if s == 1 and c <= 2:
                n_table += 1
                body += p_caption(n_table, "Yields recorded for %s" % section.lower())
                body += table("Yields%d" % n_table, ["Year", "Crop", "Yield"], table_rows(1300 + c, 6, 3))
            body += p(sentences(1250 + 10 * c + s, 7))
    return plain(body, automatic=CELL_STYLE, header="Almanac of the orchard", footer=PAGE_FIELDS,
                 sequences=sequences)


def p_caption(n, text):
    return ('<text:p text:style-name="Caption">Table <text:sequence text:ref-name="refTable%d" text:name="Table" '
            'text:formula="ooow:Table+1" style:num-format="1">%d</text:sequence>: %s</text:p>\n' % (
                n - 1, n, html.escape(text)))


def landscape_middle(_pages):
    automatic = (layout("pmLand", width="29.7cm", height="21cm", landscape=True) +
                 break_to("ToLand", "Landscape") + break_to("ToPortrait", "Standard"))
    masters = (master("Standard", "pm1", header="Quarry survey, portrait pages", footer=PAGE_FIELDS) +
               master("Landscape", "pmLand", header="Quarry survey, the wide page", footer=PAGE_FIELDS))
    body = h("Survey of the granite quarry")
    for i in range(6):
        body += p(sentences(1400 + i, 6))
    body += p("Wide table of measurements", "ToLand")
    body += table("Measurements", ["Site", "Stone", "Colour", "Depth", "Crew", "Notes"], table_rows(1410, 14, 6))
    body += p("Return to the portrait pages", "ToPortrait")
    for i in range(6):
        body += p(sentences(1420 + i, 6))
    return document(body, automatic=layout("pm1") + CELL_STYLE + automatic, masters=masters)


def same_content(_pages):
    # Headers and footers with fields, a table with a repeated heading row and a numbered list:
    # the same content is committed as .odt, .docx and .doc.
    extra = NUMBERING_123
    body = h("Weavers guild handbook") + p(sentences(1500, 8)) + p(sentences(1501, 8))
    body += table("Looms", ["Loom", "Thread", "Colour"], table_rows(1502, 45, 3))
    body += p(sentences(1503, 4)) + '<text:list text:style-name="Numbering_20_123">\n'
    for i in range(16):
        body += "<text:list-item>%s</text:list-item>\n" % p(sentences(1510 + i, 2))
    body += "</text:list>\n" + p(sentences(1504, 5))
    return plain(body, automatic=CELL_STYLE, header="Weavers guild handbook, second edition", footer=PAGE_FIELDS,
                 extra_styles=extra)


def cell(content, attrs=""):
    return '<table:table-cell table:style-name="Cell" office:value-type="string"%s>%s</table:table-cell>' % (
        attrs, content)


def long_cell(seed, paragraphs, count=6):
    return "".join(p(sentences(seed + i, count), "Table_20_Contents") for i in range(paragraphs))


def rows_across_pages(_pages):
    # Rows whose long cells break across pages: one cell runs on while its neighbour ends on the first
    # page, another starts only on the next; a cell merged over two rows; heading rows repeated.
    body = h("Ledger of the estuary wharves") + p(sentences(1600, 6))
    body += ('<table:table table:name="Wharves"><table:table-column table:number-columns-repeated="3"/>'
             "<table:table-header-rows><table:table-row>%s</table:table-row></table:table-header-rows>\n" %
             "".join(cell(p(x, "Table_20_Heading")) for x in ["Wharf", "Cargo", "Remarks"]))
    body += "<table:table-row>%s</table:table-row>\n" % "".join(
        cell(long_cell(1610, n)) for n in (2, 9, 4))
    body += "<table:table-row>%s</table:table-row>\n" % (
        cell(long_cell(1620, 2)) + cell(long_cell(1625, 2), ' table:number-rows-spanned="2"') +
        cell(long_cell(1640, 1)))
    body += "<table:table-row>%s<table:covered-table-cell/>%s</table:table-row>\n" % (
        cell(long_cell(1645, 3)), cell(long_cell(1650, 2)))
    body += "<table:table-row>%s</table:table-row>\n" % "".join(
        cell(long_cell(1660 + 10 * i, n)) for i, n in enumerate((1, 8, 3)))
    body += "</table:table>\n" + p("After the ledger. " + sentences(1690, 3))
    return plain(body, automatic=CELL_STYLE)


def row_three_pages(_pages):
    # One row without heading rows whose second cell runs over three pages; its neighbour is short.
    body = h("Chronicle of the granite quarry") + p(sentences(1700, 3))
    body += ('<table:table table:name="Chronicle"><table:table-column table:number-columns-repeated="2"/>'
             "<table:table-row>%s%s</table:table-row>\n" % (cell(long_cell(1710, 2)), cell(long_cell(1720, 24, 8))))
    body += "<table:table-row>%s%s</table:table-row>\n</table:table>\n" % (
        cell(long_cell(1760, 1)), cell(long_cell(1770, 1)))
    body += p("After the chronicle. " + sentences(1790, 2))
    return plain(body, automatic=CELL_STYLE)


def spaced_rows(_pages):
    # Paragraphs with wide space below and lines ended by manual breaks, in the body and in table cells
    # whose rows break across pages, written as a word processor would (through docx as well).
    extra = ('<style:style style:name="Spaced" style:family="paragraph" style:parent-style-name="Table_20_Contents">'
             '<style:paragraph-properties fo:margin-bottom="1.2cm"/></style:style>'
             '<style:style style:name="Spaced_20_body" style:display-name="Spaced body" style:family="paragraph" '
             'style:parent-style-name="Text_20_body"><style:paragraph-properties fo:margin-bottom="1.2cm"/>'
             '</style:style>')

    def lines(seed, count, style):
        rnd = random.Random(seed)
        shown = "<text:line-break/>".join(html.escape(" ".join(rnd.choice(WORDS) for _ in range(4)))
                                          for _ in range(count))
        return '<text:p text:style-name="%s">%s</text:p>\n' % (style, shown)

    body = h("Tide tables of the lower reach")
    body += "".join(p(sentences(1900 + i, 9), "Spaced_20_body") for i in range(5))
    body += lines(1910, 40, "Spaced_20_body")
    body += ('<table:table table:name="Tides"><table:table-column table:number-columns-repeated="2"/>'
             "<table:table-header-rows><table:table-row>%s</table:table-row></table:table-header-rows>\n" %
             "".join(cell(p(x, "Table_20_Heading")) for x in ["Reach", "Soundings"]))
    for i in range(4):
        body += "<table:table-row>%s%s</table:table-row>\n" % (
            cell(p(sentences(1920 + i, 2), "Spaced")),
            cell("".join(p(sentences(1930 + 10 * i + k, 5), "Spaced") for k in range(3)) +
                 lines(1935 + 10 * i, 30, "Spaced")))
    body += "</table:table>\n" + p("After the tables. " + sentences(1990, 3))
    return plain(body, automatic=CELL_STYLE, extra_styles=extra)


def nested_table(_pages):
    # A table inside a cell whose rows break across pages, beside a cell that runs on by itself, and a
    # numbered list in a cell across pages.
    inner = ('<table:table table:name="Inner"><table:table-column table:number-columns-repeated="2"/>' +
             "".join("<table:table-row>%s%s</table:table-row>" % (cell(long_cell(1810 + 10 * i, 1, 3)),
                                                                   cell(long_cell(1815 + 10 * i, 3)))
                     for i in range(5)) + "</table:table>")
    items = "".join("<text:list-item>%s</text:list-item>" % p(sentences(1880 + i, 4), "Table_20_Contents")
                    for i in range(14))
    body = h("Survey of the northern inlets") + p(sentences(1800, 4))
    body += ('<table:table table:name="Outer"><table:table-column table:number-columns-repeated="2"/>'
             "<table:table-row>%s%s</table:table-row>\n" % (
                 cell(p("Inlets surveyed", "Table_20_Contents") + inner), cell(long_cell(1860, 6))))
    body += ("<table:table-row>%s%s</table:table-row>\n</table:table>\n" % (
        cell(p("Steps of the survey", "Table_20_Contents") +
             '<text:list text:style-name="Numbering_20_123">%s</text:list>' % items),
        cell(long_cell(1870, 2))))
    body += p("After the survey. " + sentences(1899, 2))
    return plain(body, automatic=CELL_STYLE, extra_styles=NUMBERING_123)


def section_across_pages(_pages):
    # A plain section and a two-column section running over pages, with a table row breaking inside
    # the section.
    automatic = ('<style:style style:name="Cols2" style:family="section"><style:section-properties>'
                 '<style:columns fo:column-count="2" fo:column-gap="0.8cm"/></style:section-properties>'
                 '</style:style>\n' + CELL_STYLE)
    body = h("Almanac of the upland farms") + p(sentences(1900, 3))
    body += '<text:section text:name="Plain">\n' + "".join(p(sentences(1910 + i, 7)) for i in range(8))
    body += ('<table:table table:name="Farms"><table:table-column table:number-columns-repeated="2"/>'
             "<table:table-row>%s%s</table:table-row></table:table>\n" % (
                 cell(long_cell(1930, 8)), cell(long_cell(1940, 3))))
    body += "</text:section>\n"
    body += '<text:section text:style-name="Cols2" text:name="Columns">\n'
    body += "".join(p(sentences(1950 + i, 6)) for i in range(12)) + "</text:section>\n"
    body += p("After the almanac. " + sentences(1999, 2))
    return plain(body, automatic=automatic)


DOCUMENTS = {
    "left-right-blank": (left_right_blank, ["odt"]),
    "title-page": (title_page, ["odt"]),
    "header-footer-fields": (header_footer_fields, ["odt"]),
    "table-three-pages": (table_three_pages, ["odt"]),
    "starts-with-table": (starts_with_table, ["odt"]),
    "paragraph-across-pages": (paragraph_across_pages, ["odt"]),
    "numbered-list": (numbered_list, ["odt"]),
    "footnotes": (footnotes, ["odt"]),
    "pictures": (pictures, ["odt"]),
    "picture-at-foot": (picture_at_foot, ["odt"]),
    "crowded-pictures": (lambda _pages: crowded_pictures(0), ["odt"]),
    "crowded-pictures-lifted": (lambda _pages: crowded_pictures(2), ["odt"]),
    "two-columns": (two_columns, ["odt"]),
    "toc": (toc, ["odt"]),
    "landscape-middle": (landscape_middle, ["odt"]),
    "same-content": (same_content, ["odt", "docx", "doc"]),
    "rows-across-pages": (rows_across_pages, ["odt"]),
    "row-three-pages": (row_three_pages, ["odt"]),
    "nested-table": (nested_table, ["odt"]),
    "spaced-rows": (spaced_rows, ["odt", "docx"]),
    "section-across-pages": (section_across_pages, ["odt"]),
}
FILTERS = {"odt": "odt", "docx": "docx:MS Word 2007 XML", "doc": "doc:MS Word 97"}


def soffice(profile, args, cwd=None):
    """One headless office for one batch of conversions, stopped by its process id if it hangs."""
    proc = subprocess.Popen(["soffice", "--headless", "--norestore", "-env:UserInstallation=file://" + profile] + args,
                            cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        _, err = proc.communicate(timeout=300)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        raise
    if proc.returncode:
        sys.exit("soffice failed: " + err.decode(errors="replace"))


def pdf_pages(pdf):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    return int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))


def heading_pages(pdf, headings):
    """The page on which each heading is first printed, skipping the contents page."""
    found = {}
    for page in range(2, pdf_pages(pdf) + 1):
        text = subprocess.run(["pdftotext", "-f", str(page), "-l", str(page), "-layout", pdf, "-"],
                              capture_output=True, text=True, check=True).stdout
        for heading in headings:
            if heading not in found and re.search(r"^\s*[\d.]+\s+" + re.escape(heading) + r"\s*$", text, re.M):
                found[heading] = str(page)
    return found


# Without a thumbnail each document is a few kilobytes instead of fifty.
NO_THUMBNAIL = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema">
<item oor:path="/org.openoffice.Office.Common/Save/Document"><prop oor:name="GenerateThumbnail" oor:op="fuse">
<value>false</value></prop></item>
</oor:items>
"""


def main():
    # Named documents only (e.g. "nested-table"), the others and their counts left as committed.
    only = sys.argv[1:]
    unknown = [n for n in only if n not in DOCUMENTS]
    if unknown:
        sys.exit("no such document: %s" % unknown)
    chosen = {n: d for n, d in DOCUMENTS.items() if not only or n in only}
    os.makedirs(OUT, exist_ok=True)
    work = tempfile.mkdtemp(prefix="hard-cases-")
    profile = os.path.join(work, "profile")
    os.makedirs(os.path.join(profile, "user"))
    with open(os.path.join(profile, "user", "registrymodifications.xcu"), "w", encoding="utf-8") as f:
        f.write(NO_THUMBNAIL)
    try:
        src = os.path.join(work, "src")
        os.makedirs(src)

        def write_sources(pages):
            for name, (build, _) in chosen.items():
                with open(os.path.join(src, name + ".fodt"), "w", encoding="utf-8") as f:
                    f.write(build(pages))

        # The contents page needs the page numbers of the headings: lay the document out once to find them.
        write_sources({})
        if "toc" not in chosen:
            previous = json.load(open(os.path.join(OUT, "expected.json"), encoding="utf-8"))
            return finish(profile, work, src, chosen, previous["toc_heading_pages"], previous["pages"])
        first = os.path.join(work, "first")
        soffice(profile, ["--convert-to", PDF_KEEP_BLANK, "--outdir", first, os.path.join(src, "toc.fodt")])
        headings = [c for c, _ in TOC_CHAPTERS] + [s for _, ss in TOC_CHAPTERS for s in ss]
        pages = heading_pages(os.path.join(first, "toc.pdf"), headings)
        missing = [x for x in headings if x not in pages]
        if missing:
            sys.exit("headings not found in the first layout: %s" % missing)
        write_sources(pages)
        finish(profile, work, src, chosen, pages, {})
    finally:
        shutil.rmtree(work)


def finish(profile, work, src, chosen, pages, counts):
    """Converts the chosen sources, counts their pages and records them with `counts` of the others."""
    for ext in ("odt", "docx", "doc"):
        names = [os.path.join(src, n + ".fodt") for n, (_, exts) in chosen.items() if ext in exts]
        if names:
            soffice(profile, ["--convert-to", FILTERS[ext], "--outdir", OUT] + names)

    # Measure the page counts from the committed files, blank pages included.
    outputs = sorted(f for f in os.listdir(OUT) if os.path.splitext(f)[1] in (".odt", ".docx", ".doc") and
                     os.path.splitext(f)[0] in chosen)
    pdfs = os.path.join(work, "pdf")
    staged = os.path.join(work, "staged")
    os.makedirs(staged)
    for f in outputs:  # same-content.odt/.docx/.doc would all export to same-content.pdf
        shutil.copy(os.path.join(OUT, f), os.path.join(staged, f.replace(".", "_") + os.path.splitext(f)[1]))
    soffice(profile, ["--convert-to", PDF_KEEP_BLANK, "--outdir", pdfs] +
            [os.path.join(staged, f) for f in sorted(os.listdir(staged))])
    counts = dict(counts)
    for f in outputs:
        counts[f] = pdf_pages(os.path.join(pdfs, f.replace(".", "_") + ".pdf"))
        print("%-28s %d pages" % (f, counts[f]))
    with open(os.path.join(OUT, "expected.json"), "w", encoding="utf-8") as f:
        json.dump({"pages": counts, "toc_heading_pages": pages}, f, indent=1, sort_keys=True)
        f.write("\n")


if __name__ == "__main__":
    main()
