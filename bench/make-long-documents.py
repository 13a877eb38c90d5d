#!/usr/bin/env python3
"""Writes long generated documents on which layout drift shows, for bench/fidelity.py.

    python3 bench/make-long-documents.py FOLDER
    FIDELITY_CASES=FOLDER bench/fidelity-set.sh --splitter 'build/bin/folioknife-split -o {out} {in}'

pictures-19: large unwrapped pictures anchored to paragraphs, one every four paragraphs.
crowded-25: as the crowded hard cases, one picture every four paragraphs.
mixed-SEED: 40 to 46 pages mixing pictures of every wrap, anchored to paragraphs and characters,
tables over pages, footnotes, numbered lists and two-column sections, with page numbers in the footer.
The two crowded hard cases (tests/data/hard-cases) are the other documents of the measurement.
"""
import html
import importlib.util
import os
import random
import shutil
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("hard_cases", os.path.join(HERE, "..", "scripts", "make-hard-cases.py"))
hc = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(hc)

WRAPS = ["none", "parallel", "dynamic", "left", "right", "run-through"]


def picture_style(name, wrap, horizontal):
    return ('<style:style style:name="%s" style:family="graphic"><style:graphic-properties style:wrap="%s" '
            'style:vertical-pos="top" style:horizontal-pos="%s" style:vertical-rel="paragraph" '
            'style:horizontal-rel="paragraph"/></style:style>\n' % (name, wrap, horizontal))


def chart(name, anchor, width, height, style="Pic"):
    return hc.image(name, hc.png(160, 80, hc.chart_pixel), anchor, width, height).replace(
        'draw:style-name="Pic"', 'draw:style-name="%s"' % style)


def pictures(_seed):
    body = ""
    for i in range(120):
        if i % 4 == 2:
            body += '<text:p text:style-name="Text_20_body">%s%s</text:p>\n' % (
                chart("Chart%d" % i, "paragraph", "8cm", "%dcm" % (3 + i % 5)),
                html.escape(hc.sentences(3000 + i, 3 + i % 7)))
        else:
            body += hc.p(hc.sentences(2000 + i, 2 + (i * 7) % 9))
    return hc.plain(body, automatic=hc.UNWRAPPED_PICTURE)


def mixed(seed):
    automatic = "".join(picture_style("Pic" + w, w, "center" if w == "none" else "right") for w in WRAPS)
    automatic += hc.CELL_STYLE + (
        '<style:style style:name="Cols" style:family="section"><style:section-properties>'
        '<style:columns fo:column-count="2" fo:column-gap="0.8cm"/></style:section-properties></style:style>\n')
    rnd = random.Random(seed)
    body = ""
    note = 0
    for i in range(260):
        kind = rnd.random()
        if i % 13 == 0:
            body += hc.h("Part %d" % (i // 13 + 1), 1)
        elif i % 7 == 0:
            body += hc.h("Topic %d" % i, 2)
        if kind < 0.12:
            wrap = rnd.choice(WRAPS)
            picture = chart("Fig%d" % i, rnd.choice(["paragraph", "char"]), "%dcm" % rnd.randint(4, 9),
                            "%.1fcm" % rnd.uniform(2, 9), "Pic" + wrap)
            body += '<text:p text:style-name="Text_20_body">%s%s</text:p>\n' % (
                picture, html.escape(hc.sentences(50000 + i, rnd.randint(2, 9))))
        elif kind < 0.18:
            body += hc.table("T%d" % i, ["Item", "Measure", "Note"], hc.table_rows(60000 + i, rnd.randint(3, 40), 3))
        elif kind < 0.26:
            note += 1
            body += ('<text:p text:style-name="Text_20_body">%s<text:note text:id="n%d" text:note-class="footnote">'
                     '<text:note-citation>%d</text:note-citation><text:note-body>%s</text:note-body></text:note> '
                     '%s</text:p>\n' % (html.escape(hc.sentences(70000 + i, 2)), note, note,
                                        hc.p(hc.sentences(71000 + i, rnd.randint(1, 4)), "Footnote"),
                                        html.escape(hc.sentences(72000 + i, 2))))
        elif kind < 0.32:
            items = "".join("<text:list-item>%s</text:list-item>" %
                            hc.p(hc.sentences(80000 + i * 10 + k, rnd.randint(1, 3)), "List_20_Contents")
                            for k in range(rnd.randint(2, 12)))
            body += '<text:list text:style-name="Numbering_20_123">%s</text:list>\n' % items
        elif kind < 0.35:
            body += '<text:section text:style-name="Cols" text:name="S%d">%s</text:section>\n' % (
                i, "".join(hc.p(hc.sentences(90000 + i * 10 + k, 5)) for k in range(rnd.randint(2, 8))))
        else:
            body += hc.p(hc.sentences(40000 + i, rnd.randint(2, 10)))
    return hc.plain(body, automatic=automatic, footer=hc.PAGE_FIELDS, extra_styles=hc.NUMBERING_123)


DOCUMENTS = {
    "pictures-19": (pictures, 0),
    "crowded-25": (hc.crowded_pictures, 1),
    "mixed-7": (mixed, 7),
    "mixed-11": (mixed, 11),
    "mixed-23": (mixed, 23),
    "mixed-42": (mixed, 42),
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = os.path.abspath(sys.argv[1])
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="long-documents-")
    try:
        profile = os.path.join(work, "profile")
        os.makedirs(os.path.join(profile, "user"))
        with open(os.path.join(profile, "user", "registrymodifications.xcu"), "w", encoding="utf-8") as f:
            f.write(hc.NO_THUMBNAIL)
        sources = []
        for name, (build, seed) in DOCUMENTS.items():
            sources.append(os.path.join(work, name + ".fodt"))
            with open(sources[-1], "w", encoding="utf-8") as f:
                f.write(build(seed))
        hc.soffice(profile, ["--convert-to", hc.FILTERS["odt"], "--outdir", out] + sources)
        print("\n".join(sorted(n for n in os.listdir(out) if n.endswith(".odt"))))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
