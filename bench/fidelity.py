#!/usr/bin/env python3
"""Measures how faithful one-page documents NAME_0001.odt, NAME_0002.odt ... are to the document they came from.

    fidelity.py --input DOC --outputs DIR [--name NAME] [--format odt|docx|pdf] [--soffice soffice] [--json FILE]
    fidelity.py --set FOLDER --splitter 'CMD ... {in} ... {out}' [--format odt|docx|pdf] [--soffice soffice]
                [--json FILE]

The second form splits every document of FOLDER with CMD ({in}: the document, {out}: an empty folder)
and measures each.

Three measures, as a reader would judge the pages:
  one page  every output rendered by LibreOffice (PDF export keeping blank pages, counted with pdfinfo):
            how many are exactly one page long.
  words     recall and precision of the outputs' words (a multiset, case-folded, punctuation stripped)
            against the input's words. Text comes from the PDF through pdftotext rather than from the
            office's plain-text export: the PDF is made anyway, and it holds what is printed on each page,
            so body text, tables, footnotes, captions, contents AND headers and footers with their field
            results count. A page header is counted once per page in the input and once per output; a
            footer that says "Page 1 of 1" where the input page said "Page 2 of 4" costs words.
  look      input page k and the first page of output k, rasterized at 40 dpi in grey; ink is what is
            darker than a threshold; score = (ink of A within 1 px of ink of B + ink of B within 1 px of
            ink of A) / (ink of A + ink of B); two blank pages score 1. A page that has no counterpart
            (too few or too many outputs) scores 0.
            Reading the score: at 40 dpi a line of text is a grey band, so the measure sees layout more than
            letters. The same page rendered a quarter or half pixel off scores about 0.96; another page of
            text in the same layout about 0.6; a blank page against a page with ink 0. The threshold (160
            of 255) is where sub-pixel shifts still score high; a darker one tells texts apart better
            but punishes such shifts as much as wrong text.

The files are converted in batches of BATCH, one headless office call each with a throw-away profile,
stopped by its process id at the end; whatever a batch left out (one call over 257 files wrote 246 and
exited 0) is converted again one file to a call.

Classes: each document's unfaithful pages are named where the figures tell them: outputs that print as
two or more pages, page numbers with no output, outputs past the pages the input prints, pages whose
look is below LOW_LOOK, and a loaded layout with another page count than the PDF export.
"""
import argparse
import collections
import glob
import json
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import unicodedata

try:
    import numpy as np
    from PIL import Image
except ImportError:  # a python3 from elsewhere on PATH does not see Debian's python3-numpy and python3-pil
    sys.path.append("/usr/lib/python3/dist-packages")
    import numpy as np
    from PIL import Image

PDF_KEEP_BLANK = 'pdf:writer_pdf_Export:{"IsSkipEmptyPages":{"type":"boolean","value":"false"}}'
DOCUMENT_EXTENSIONS = (".odt", ".fodt", ".docx", ".doc", ".rtf")
DPI = 40
INK_THRESHOLD = 160
BATCH = 40
LOW_LOOK = 0.9
OUTPUT_NUMBER = re.compile(r"_(\d{4,})\.[^.]+$")


# ---------------------------------------------------------------------------------------------------------------
# Look

def ink(image, threshold=INK_THRESHOLD):
    """Pixels darker than the threshold, as a boolean array."""
    return np.asarray(image.convert("L")) < threshold


def dilate(mask):
    """Grows ink by one pixel in all eight directions."""
    padded = np.pad(mask, 1)
    h, w = mask.shape
    out = np.zeros_like(mask)
    for dy in range(3):
        for dx in range(3):
            out |= padded[dy:dy + h, dx:dx + w]
    return out


def look_score(a, b):
    """Ink overlap of two ink masks with one pixel of tolerance; masks of different sizes are padded with paper."""
    h, w = max(a.shape[0], b.shape[0]), max(a.shape[1], b.shape[1])
    a = np.pad(a, ((0, h - a.shape[0]), (0, w - a.shape[1])))
    b = np.pad(b, ((0, h - b.shape[0]), (0, w - b.shape[1])))
    total = int(a.sum()) + int(b.sum())
    if total == 0:
        return 1.0
    matched = int((a & dilate(b)).sum()) + int((b & dilate(a)).sum())
    return matched / total


# ---------------------------------------------------------------------------------------------------------------
# Words

def words(text):
    # NFKC undoes ligatures that a PDF may carry; \w+ drops punctuation and splits hyphenated words.
    return collections.Counter(re.findall(r"\w+", unicodedata.normalize("NFKC", text).casefold()))


def word_figures(input_words, output_words):
    common = sum((input_words & output_words).values())
    n_in, n_out = sum(input_words.values()), sum(output_words.values())
    return {"recall": common / n_in if n_in else 1.0, "precision": common / n_out if n_out else 1.0,
            "input_words": n_in, "output_words": n_out, "common_words": common}


# ---------------------------------------------------------------------------------------------------------------
# Office and poppler

def run_office(soffice, files, outdir, work, timeout, profile=None):
    """Exports every file to PDF with blank pages kept, in one headless office.

    Returns {file: pdf path or None}. Files are staged under distinct names, since a.doc and a.docx would
    both become a.pdf.
    """
    stage = os.path.join(work, "stage")
    os.makedirs(stage, exist_ok=True)
    os.makedirs(outdir, exist_ok=True)
    staged = {}
    for i, f in enumerate(files):
        name = "f%04d%s" % (i, os.path.splitext(f)[1].lower())
        shutil.copy(f, os.path.join(stage, name))
        staged[f] = name
    if not files:
        return {}
    profile = profile or os.path.join(work, "office-profile")
    cmd = shlex.split(soffice) + ["--headless", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
                                  "-env:UserInstallation=file://" + profile, "--convert-to", PDF_KEEP_BLANK,
                                  "--outdir", outdir] + [os.path.join(stage, staged[f]) for f in files]
    # Own session, so that the office and the processes it starts are stopped together by this id.
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        print("fidelity: the office took longer than %d s; stopped" % timeout, file=sys.stderr)
    finally:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.wait()
    result = {}
    for f in files:
        pdf = os.path.join(outdir, os.path.splitext(staged[f])[0] + ".pdf")
        result[f] = pdf if os.path.exists(pdf) and os.path.getsize(pdf) > 0 else None
    return result


def render_pdfs(soffice, files, work, timeout, batch=BATCH, run=run_office):
    """PDFs of every file, {file: pdf path or None}: in batches of one office call each, then one file to
    a call for whatever a batch left out. The calls share one profile, made once. A PDF is what a reader
    prints already and is taken as it is."""
    profile = os.path.join(work, "office-profile")
    pdfs = {f: f for f in files if f.lower().endswith(".pdf")}
    files = [f for f in files if f not in pdfs]
    for n, start in enumerate(range(0, len(files), batch)):
        part = os.path.join(work, "batch-%d" % n)
        pdfs.update(run(soffice, files[start:start + batch], os.path.join(part, "pdf"), part, timeout, profile))
    left_out = [f for f in files if pdfs.get(f) is None]
    if left_out and len(files) > 1:
        print("fidelity: %d of %d files were not converted in their batch; once more one by one"
              % (len(left_out), len(files)), file=sys.stderr)
    for n, f in enumerate(left_out):
        retry = os.path.join(work, "retry-%d" % n)
        pdfs.update(run(soffice, [f], os.path.join(retry, "pdf"), retry, timeout, profile))
    return pdfs


def classes(result, numbers):
    """The unfaithful pages of one document by class: {name: [output or page numbers]}, only classes found.
    `numbers` are the outputs' numbers (NAME_0007 -> 7) in the order of result's per-output figures."""
    found = {}
    two = [numbers[k] for k, n in enumerate(result["one_page"]["pages"]) if n > 1]
    if two:
        found["prints as two or more pages"] = two
    printed = result["input_pages"]
    missing = sorted(set(range(1, printed + 1)) - set(numbers))
    if missing:
        found["page numbers with no output"] = missing
    beyond = [n for n in numbers if n > printed]
    if beyond:
        found["outputs past the printed pages"] = beyond
    low = [k + 1 for k, x in enumerate(result["look"]["pages"]) if x < LOW_LOOK]
    if low:
        found["look below %.1f" % LOW_LOOK] = low
    loaded = result.get("loaded_pages")
    if loaded is not None and loaded != printed:
        found["loaded layout differs from the printed one"] = [loaded, printed]
    return found


def output_numbers(outputs):
    return [int(m.group(1)) if (m := OUTPUT_NUMBER.search(os.path.basename(o))) else 0 for o in outputs]


def class_lines(results):
    """One line for each document and class found, numbers shortened past ten."""
    lines = []
    for r in results:
        for name, numbers in r.get("classes", {}).items():
            shown = ", ".join(str(n) for n in numbers[:10]) + (", ... (%d)" % len(numbers) if len(numbers) > 10 else "")
            lines.append("%s: %s: %s" % (os.path.basename(r["input"]), name, shown))
    return lines


LOADED_PAGES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "loaded_pages.py")
SYSTEM_PYTHON = "/usr/bin/python3"  # Debian's, which sees python3-uno


def loaded_page_counts(soffice, files, work, timeout):
    """Pages of each file as the office lays it out loaded in a view, as a split counts them.

    Returns {file: pages}; {} when the office could not be asked (no python3-uno), said on stderr.
    """
    if not files:
        return {}
    profile = os.path.join(work, "loaded-profile")
    try:
        done = subprocess.run([SYSTEM_PYTHON, LOADED_PAGES, "--soffice", soffice, "--profile", profile] + files,
                              capture_output=True, text=True, timeout=timeout)
        counts = json.loads(done.stdout or "{}")
    except (OSError, ValueError, subprocess.TimeoutExpired) as error:
        print("fidelity: the loaded layout was not counted: %s" % error, file=sys.stderr)
        return {}
    if done.returncode:
        print("fidelity: the loaded layout was not counted: %s" % done.stderr.strip()[-300:], file=sys.stderr)
    return counts


def loaded_layout_notes(results):
    """One line for each document whose loaded layout has another number of pages than its PDF export."""
    notes = []
    for r in results:
        loaded = r.get("loaded_pages")
        if loaded is not None and loaded != r["input_pages"]:
            notes.append("%s: %d pages loaded, %d in the PDF export" % (os.path.basename(r["input"]), loaded,
                                                                        r["input_pages"]))
    return notes


def pdf_pages(pdf):
    if not pdf:
        return 0
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
    m = re.search(r"^Pages:\s+(\d+)", info, re.M)
    return int(m.group(1)) if m else 0


def pdf_text(pdf, first=None, last=None):
    if not pdf:
        return ""
    cmd = ["pdftotext", "-enc", "UTF-8"]
    if first:
        cmd += ["-f", str(first), "-l", str(last or first)]
    return subprocess.run(cmd + [pdf, "-"], capture_output=True, text=True).stdout


def rasterize(pdf, prefix, first_only=False):
    """Grey pages at DPI as ink masks, in page order."""
    if not pdf:
        return []
    cmd = ["pdftoppm", "-r", str(DPI), "-gray", "-png"]
    if first_only:
        cmd += ["-f", "1", "-l", "1", "-singlefile"]
    subprocess.run(cmd + [pdf, prefix], check=True, capture_output=True)
    files = glob.glob(glob.escape(prefix) + "*.png")
    files.sort(key=lambda f: int(re.search(r"(\d*)\.png$", f).group(1) or 0))
    masks = []
    for f in files:
        with Image.open(f) as im:
            masks.append(ink(im))
    return masks


# ---------------------------------------------------------------------------------------------------------------
# Measuring

def find_outputs(folder, name, extension="odt"):
    pattern = re.compile(re.escape(name) + r"_(\d{4,})\." + re.escape(extension) + "$")
    found = sorted((int(m.group(1)), f) for f in os.listdir(folder) if (m := pattern.match(f)))
    return [os.path.join(folder, f) for _, f in found]


def measure(input_doc, outputs, pdfs, work, tag=0):
    """Figures for one input and its outputs, from PDFs already made."""
    in_pdf = pdfs.get(input_doc)
    input_pages = pdf_pages(in_pdf)
    out_pages = [pdf_pages(pdfs.get(o)) for o in outputs]
    one = sum(1 for n in out_pages if n == 1)

    in_words = words(pdf_text(in_pdf))
    out_words = collections.Counter()
    for o in outputs:
        out_words += words(pdf_text(pdfs.get(o)))

    raster = os.path.join(work, "raster", "%03d" % tag)
    os.makedirs(raster, exist_ok=True)
    in_masks = rasterize(in_pdf, os.path.join(raster, "in"))
    out_masks = []
    for k, o in enumerate(outputs):
        m = rasterize(pdfs.get(o), os.path.join(raster, "out%04d" % k), first_only=True)
        out_masks.append(m[0] if m else None)
    looks = []
    for k in range(max(len(in_masks), len(out_masks))):
        a = in_masks[k] if k < len(in_masks) else None
        b = out_masks[k] if k < len(out_masks) else None
        looks.append(look_score(a, b) if a is not None and b is not None else 0.0)

    return {
        "input": input_doc, "input_pages": input_pages, "outputs": len(outputs),
        "one_page": {"count": one, "share": one / len(outputs) if outputs else 0.0, "pages": out_pages},
        "words": word_figures(in_words, out_words),
        "look": {"mean": sum(looks) / len(looks) if looks else 0.0, "worst": min(looks) if looks else 0.0,
                 "pages": looks},
    }


def overall(results):
    """Pooled figures: every output, word and page of the set counts once."""
    outputs = sum(r["outputs"] for r in results)
    one = sum(r["one_page"]["count"] for r in results)
    w = collections.Counter()
    for r in results:
        w.update({k: r["words"][k] for k in ("input_words", "output_words", "common_words")})
    looks = [x for r in results for x in r["look"]["pages"]]
    return {
        "documents": len(results), "outputs": outputs,
        "splitter_failures": sum(1 for r in results if r.get("splitter_error")),
        "input_pages": sum(r["input_pages"] for r in results),
        "documents_with_right_output_count": sum(1 for r in results if r["outputs"] == r["input_pages"]),
        "documents_whose_loaded_layout_agrees": sum(1 for r in results if r.get("loaded_pages") == r["input_pages"]),
        "documents_with_loaded_layout_counted": sum(1 for r in results if r.get("loaded_pages") is not None),
        "one_page": {"count": one, "share": one / outputs if outputs else 0.0},
        "words": {"recall": w["common_words"] / w["input_words"] if w["input_words"] else 1.0,
                  "precision": w["common_words"] / w["output_words"] if w["output_words"] else 1.0},
        "look": {"mean": sum(looks) / len(looks) if looks else 0.0, "worst": min(looks) if looks else 0.0},
        # Documents that show each class.
        "classes": dict(collections.Counter(name for r in results for name in r.get("classes", {}))),
    }


def print_table(results, total=None):
    head = "%-28s %5s %5s %10s %8s %8s %6s %6s" % ("document", "pages", "outs", "one page", "recall", "precis.",
                                                   "look", "worst")
    print(head)
    print("-" * len(head))
    for r in results:
        failed = "!" if r.get("splitter_error") else ""
        print("%-28s %5d %5d %9.0f%% %7.1f%% %7.1f%% %6.3f %6.3f" % (
            (os.path.basename(r["input"])[:27] + failed), r["input_pages"], r["outputs"], 100 * r["one_page"]["share"],
            100 * r["words"]["recall"], 100 * r["words"]["precision"], r["look"]["mean"], r["look"]["worst"]))
    if total:
        print("-" * len(head))
        print("%-28s %5d %5d %9.0f%% %7.1f%% %7.1f%% %6.3f %6.3f" % (
            "all (pooled)", total["input_pages"], total["outputs"], 100 * total["one_page"]["share"],
            100 * total["words"]["recall"], 100 * total["words"]["precision"], total["look"]["mean"],
            total["look"]["worst"]))
        print("documents with as many outputs as pages: %d of %d" % (total["documents_with_right_output_count"],
                                                                     total["documents"]))
        print("documents whose loaded layout has the PDF export's page count: %d of %d counted" % (
            total["documents_whose_loaded_layout_agrees"], total["documents_with_loaded_layout_counted"]))
        if total["classes"]:
            print("documents by class: " + "; ".join("%s %d" % kv for kv in sorted(total["classes"].items())))
        if any(r.get("splitter_error") for r in results):
            print("!: the splitter failed on this document (its error is in the JSON)")
    elif len(results) == 1:
        r = results[0]
        print("output pages: %s" % " ".join(str(n) for n in r["one_page"]["pages"]))
        print("look per page: %s" % " ".join("%.3f" % x for x in r["look"]["pages"]))
        if r.get("loaded_pages") is not None:
            print("pages loaded / in the PDF export: %d / %d" % (r["loaded_pages"], r["input_pages"]))
    for note in loaded_layout_notes(results):
        print("the loaded layout differs from the printed one: " + note)
    for line in class_lines(results):
        print("class: " + line)


def split_all(folder, splitter, work, timeout, extension="odt"):
    """Runs the splitter on every document of the folder; returns [(document, outputs)]."""
    jobs = []
    docs = sorted(f for f in os.listdir(folder) if os.path.splitext(f)[1].lower() in DOCUMENT_EXTENSIONS)
    for i, doc in enumerate(docs):
        path = os.path.abspath(os.path.join(folder, doc))
        out = os.path.join(work, "split", "%02d" % i)
        os.makedirs(out)
        cmd = splitter.replace("{in}", shlex.quote(path)).replace("{out}", shlex.quote(out))
        proc = subprocess.Popen(cmd, shell=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                start_new_session=True)
        error = None
        try:
            _, err = proc.communicate(timeout=timeout)
            if proc.returncode:
                error = "exit %d: %s" % (proc.returncode, " ".join(err.decode(errors="replace").split())[-300:])
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.communicate()
            error = "stopped after %d s" % timeout
        if error:
            print("fidelity: %s: the splitter failed: %s" % (doc, error), file=sys.stderr)
        jobs.append((path, find_outputs(out, os.path.splitext(doc)[0], extension), error))
    return jobs


def check_expected(folder, results):
    """Warns when the office lays an input out on another number of pages than the one recorded with it."""
    try:
        with open(os.path.join(folder, "expected.json"), encoding="utf-8") as f:
            expected = json.load(f).get("pages", {})
    except (OSError, ValueError):
        return
    for r in results:
        want = expected.get(os.path.basename(r["input"]))
        if want is not None and want != r["input_pages"]:
            print("fidelity: %s has %d pages here, %d in expected.json: the layout differs on this machine"
                  % (os.path.basename(r["input"]), r["input_pages"], want), file=sys.stderr)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--input", help="the document that was split")
    ap.add_argument("--outputs", help="folder holding NAME_0001.odt ...")
    ap.add_argument("--name", help="NAME of the outputs (default: the input's name without extension)")
    ap.add_argument("--format", default="odt", choices=("odt", "docx", "pdf"),
                    help="the outputs' format, as the splitter's --format wrote them (default: odt)")
    ap.add_argument("--set", metavar="FOLDER", help="split and measure every document of FOLDER")
    ap.add_argument("--splitter", help="with --set: command line with {in} and {out}")
    ap.add_argument("--soffice", default="soffice", help="office command (default: soffice)")
    ap.add_argument("--json", help="write the figures to this file")
    ap.add_argument("--timeout", type=int, default=600, help="seconds for the office and for each split")
    ap.add_argument("--keep", action="store_true", help="keep the work folder (PDFs, split outputs) and say where")
    args = ap.parse_args(argv)
    if args.set:
        if not args.splitter or "{in}" not in args.splitter or "{out}" not in args.splitter:
            ap.error("--set needs --splitter with {in} and {out}")
    elif not (args.input and args.outputs):
        ap.error("give --input and --outputs, or --set and --splitter")

    work = tempfile.mkdtemp(prefix="fidelity-")
    try:
        if args.set:
            jobs = split_all(args.set, args.splitter, work, args.timeout, args.format)
        else:
            name = args.name or os.path.splitext(os.path.basename(args.input))[0]
            jobs = [(os.path.abspath(args.input), find_outputs(args.outputs, name, args.format), None)]
        files = [f for doc, outs, _ in jobs for f in [doc] + outs]
        pdfs = render_pdfs(args.soffice, files, work, args.timeout)
        # The split counts and marks the pages of the loaded layout; a reader gets the printed one.
        loaded = loaded_page_counts(args.soffice, [doc for doc, _, _ in jobs], work, args.timeout)
        results = []
        for i, (doc, outs, error) in enumerate(jobs):
            results.append(measure(doc, outs, pdfs, work, i))
            results[-1]["loaded_pages"] = loaded.get(doc)
            results[-1]["classes"] = classes(results[-1], output_numbers(outs))
            if error:
                results[-1]["splitter_error"] = error
            if pdfs.get(doc) is None:
                print("fidelity: the office did not render %s" % doc, file=sys.stderr)
        if args.set:
            check_expected(args.set, results)
        total = overall(results) if args.set else None
        print_table(results, total)
        if args.json:
            with open(args.json, "w", encoding="utf-8") as f:
                json.dump({"documents": results, "overall": total} if args.set else results[0], f, indent=1)
                f.write("\n")
        if args.keep:
            print("work folder kept: " + work)
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
