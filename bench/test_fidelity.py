"""Checks of the look and word measures of fidelity.py.  Run: python3 -m unittest bench/test_fidelity.py"""
import collections
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fidelity  # noqa: E402
from fidelity import np  # noqa: E402


def page(h=60, w=40):
    return np.zeros((h, w), dtype=bool)


def text_like():
    """Thin strokes, where any shift of two pixels would lose the overlap."""
    m = page()
    m[10, 5:35] = True
    m[20:40, 12] = True
    m[30, 20:30] = True
    return m


class LookScore(unittest.TestCase):
    def test_identical_pages_score_one(self):
        self.assertEqual(fidelity.look_score(text_like(), text_like()), 1.0)

    def test_shift_by_one_pixel_is_tolerated_in_every_direction(self):
        for dy, dx in ((0, 1), (1, 0), (1, 1), (-1, 0), (0, -1), (-1, 1)):
            with self.subTest(dy=dy, dx=dx):
                self.assertEqual(fidelity.look_score(text_like(), np.roll(text_like(), (dy, dx), (0, 1))), 1.0)

    def test_shift_by_two_pixels_is_not(self):
        self.assertLess(fidelity.look_score(text_like(), np.roll(text_like(), (2, 2), (0, 1))), 0.2)

    def test_blank_pages(self):
        self.assertEqual(fidelity.look_score(page(), page()), 1.0)
        self.assertEqual(fidelity.look_score(page(), text_like()), 0.0)
        self.assertEqual(fidelity.look_score(text_like(), page()), 0.0)

    def test_missing_ink_counts_against_both_sides(self):
        half = text_like()
        half[20:40, 12] = False  # the page lost one stroke
        score = fidelity.look_score(text_like(), half)
        self.assertGreater(score, 0.5)
        self.assertLess(score, 1.0)
        self.assertAlmostEqual(score, fidelity.look_score(half, text_like()))

    def test_pages_of_different_size_compare_as_padded_with_paper(self):
        # A landscape page rendered as portrait must not score as a match.
        portrait, landscape = page(60, 40), page(40, 60)
        portrait[50, 5:30] = True
        landscape[30, 45:58] = True
        self.assertEqual(fidelity.look_score(portrait, landscape), 0.0)
        self.assertEqual(fidelity.look_score(text_like(), np.pad(text_like(), ((0, 5), (0, 9)))), 1.0)

    def test_ink_is_what_is_darker_than_the_threshold(self):
        grey = fidelity.Image.fromarray(np.array([[0, 100, 159, 160, 255]], dtype=np.uint8))
        self.assertEqual(fidelity.ink(grey).tolist(), [[True, True, True, False, False]])


class Words(unittest.TestCase):
    def test_case_punctuation_and_ligatures_are_ignored(self):
        self.assertEqual(fidelity.words("Harbour, harbour! \ufb01eld-work"),
                         collections.Counter({"harbour": 2, "field": 1, "work": 1}))

    def test_recall_and_precision_count_repeats(self):
        given = fidelity.words("page one page two")
        got = fidelity.words("page one one three")
        f = fidelity.word_figures(given, got)
        self.assertEqual(f["common_words"], 2)  # "page" once and "one" once
        self.assertAlmostEqual(f["recall"], 2 / 4)
        self.assertAlmostEqual(f["precision"], 2 / 4)


class Outputs(unittest.TestCase):
    def test_outputs_are_found_in_page_order_and_only_for_the_name(self):
        import tempfile
        with tempfile.TemporaryDirectory() as d:
            for f in ("a_0010.odt", "a_0002.odt", "a_0001.odt", "ab_0001.odt", "a_0003.pdf", "a_01.odt"):
                open(os.path.join(d, f), "w").close()
            self.assertEqual([os.path.basename(f) for f in fidelity.find_outputs(d, "a")],
                             ["a_0001.odt", "a_0002.odt", "a_0010.odt"])

    def test_outputs_of_another_format_are_found_by_their_extension_alone(self):
        import tempfile
        with tempfile.TemporaryDirectory() as d:
            for f in ("a_0002.docx", "a_0001.docx", "a_0001.odt", "a_0003.docx.part"):
                open(os.path.join(d, f), "w").close()
            self.assertEqual([os.path.basename(f) for f in fidelity.find_outputs(d, "a", "docx")],
                             ["a_0001.docx", "a_0002.docx"])


class LoadedLayout(unittest.TestCase):
    def result(self, name, loaded, exported):
        return {"input": "/docs/" + name, "loaded_pages": loaded, "input_pages": exported}

    def test_only_documents_counted_otherwise_than_exported_are_named(self):
        results = [self.result("same.odt", 3, 3), self.result("old.odt", 255, 256),
                   self.result("uncounted.odt", None, 4), self.result("short.odt", 2, 1)]
        self.assertEqual(fidelity.loaded_layout_notes(results),
                         ["old.odt: 255 pages loaded, 256 in the PDF export",
                          "short.odt: 2 pages loaded, 1 in the PDF export"])

    def test_overall_counts_agreement_among_the_documents_counted(self):
        results = [dict(self.result("a.odt", 3, 3), outputs=3), dict(self.result("b.odt", 5, 6), outputs=5),
                   dict(self.result("c.odt", None, 2), outputs=2)]
        for r in results:
            r.update(one_page={"count": r["outputs"]}, look={"pages": [1.0]},
                     words={"input_words": 1, "output_words": 1, "common_words": 1})
        total = fidelity.overall(results)
        self.assertEqual(total["documents_whose_loaded_layout_agrees"], 1)
        self.assertEqual(total["documents_with_loaded_layout_counted"], 2)


class Rendering(unittest.TestCase):
    def test_batches_then_one_by_one_for_what_a_batch_left_out(self):
        calls = []

        def office(soffice, files, outdir, work, timeout, profile):
            calls.append(list(files))
            # A long call stops short, as the office did over 257 files, and says nothing.
            return {f: (None if len(files) > 1 and f.endswith("3.odt") else "/pdf/" + f) for f in files}

        files = ["d%d.odt" % n for n in range(1, 6)]
        pdfs = fidelity.render_pdfs("soffice", files, "/work", 60, batch=2, run=office)
        self.assertEqual(calls, [["d1.odt", "d2.odt"], ["d3.odt", "d4.odt"], ["d5.odt"], ["d3.odt"]])
        self.assertEqual(pdfs["d3.odt"], "/pdf/d3.odt")
        self.assertTrue(all(pdfs[f] for f in files))

    def test_pdf_outputs_are_printed_as_they_stand(self):
        calls = []

        def office(soffice, files, outdir, work, timeout, profile):
            calls.append(list(files))
            return {f: "/pdf/" + f for f in files}

        pdfs = fidelity.render_pdfs("soffice", ["d.odt", "d_0001.pdf", "d_0002.PDF"], "/work", 60, run=office)
        self.assertEqual(calls, [["d.odt"]])
        self.assertEqual(pdfs, {"d.odt": "/pdf/d.odt", "d_0001.pdf": "d_0001.pdf", "d_0002.PDF": "d_0002.PDF"})


class Classes(unittest.TestCase):
    def test_each_class_is_named_with_its_pages_and_a_faithful_document_has_none(self):
        def result(pages, looks, printed, loaded=None):
            return {"input": "/d/a.odt", "input_pages": printed, "loaded_pages": loaded,
                    "one_page": {"pages": pages}, "look": {"pages": looks}}

        cases = [
            ("faithful", result([1, 1, 1], [1.0, 0.97, 0.95], 3), [1, 2, 3], {}),
            ("two pages and a low look", result([1, 2, 1], [1.0, 0.4, 0.95], 3), [1, 2, 3],
             {"prints as two or more pages": [2], "look below 0.9": [2]}),
            ("a page dropped", result([1, 1], [1.0, 1.0, 0.0], 3, loaded=2), [1, 3],
             {"page numbers with no output": [2], "look below 0.9": [3],
              "loaded layout differs from the printed one": [2, 3]}),
            ("an output past the printed pages", result([1, 1], [1.0, 1.0], 1), [1, 2],
             {"outputs past the printed pages": [2]}),
        ]
        for name, r, numbers, expected in cases:
            with self.subTest(name):
                self.assertEqual(fidelity.classes(r, numbers), expected)

    def test_output_numbers_come_from_the_names(self):
        self.assertEqual(fidelity.output_numbers(["/o/a_b_0007.odt", "/o/x_0123.pdf", "/o/odd.odt"]), [7, 123, 0])


if __name__ == "__main__":
    unittest.main()
