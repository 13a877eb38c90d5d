#include "NotesGoingOn.h"
#include "TestDocument.h"

namespace fk::slicer {
namespace {

std::string noteMark(int page, int note) {
    return R"(<text:bookmark text:name=")" + NoteMarkName(page, note) + R"("/>)";
}

// Page 1 cites note "n1", whose text the layout cuts in its second paragraph and goes on with on page 2.
const std::string kBody =
    R"(<text:p>one<text:note text:id="n1" text:note-class="footnote"><text:note-citation>1)"
    R"(</text:note-citation><text:note-body><text:p>first</text:p><text:p>second half )" +
    noteMark(2, 1) + "and the rest</text:p><text:p>third</text:p></text:note-body></text:note></text:p>" +
    "<text:p>" + mark(2) + "two</text:p><text:p>" + mark(3) + "three</text:p>";

std::string notesIn(pugi::xml_node root) {
    std::string notes;
    for (const pugi::xpath_node note : root.select_nodes(".//text:note")) notes += outerXml(note.node());
    return notes;
}

std::string output(TestDocument& document, const NotesGoingOn& notes, int first, int last) {
    document.pages(first, last);
    BodyRangeCopier copier(document.facts(), document.outputStyles(), "3");
    notes.cutAtPageEnd(last, document.outputText(), copier);
    notes.carryOnto(first, last, document.outputText(), copier);
    return notesIn(document.outputText());
}

TEST(NotesGoingOnTest, ANoteIsCutWhereThePageCutsItAndTheRestGoesToThePageThatShowsIt) {
    TestDocument document(kBody);
    const NotesGoingOn notes(document.text());
    const std::string citation = R"(<text:note-citation>1</text:note-citation>)";
    const std::string none = "\xE2\x80\x8B";
    const struct {
        const char* name;
        int first, last;
        std::string notes;
    } cases[] = {
        {"the citation's page ends inside the note", 1, 1,
         R"(<text:note text:id="n1" text:note-class="footnote">)" + citation +
             R"(<text:note-body><text:p>first</text:p><text:p>second half</text:p></text:note-body></text:note>)"},
        {"the next page opens with the rest, cited by nothing", 2, 2,
         R"(<text:note text:id="n1_rest" text:note-class="footnote"><text:note-citation text:label=")" +
             none + R"(">)" + none +
             R"(</text:note-citation><text:note-body><text:p>and the rest</text:p><text:p>third</text:p>)"
             R"(</text:note-body></text:note>)"},
        {"both pages in one output keep the note whole", 1, 2,
         R"(<text:note text:id="n1" text:note-class="footnote">)" + citation +
             R"(<text:note-body><text:p>first</text:p><text:p>second half and the rest</text:p><text:p>third)"
             R"(</text:p></text:note-body></text:note>)"},
        {"a later page has none of it", 3, 3, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string shown = output(document, notes, c.first, c.last);
        // The cut paragraph's parts take derived styles; what they hold is what matters here.
        for (const std::string attribute : {R"( text:style-name="FkP1")", R"( text:style-name="FkP2")"})
            for (std::size_t at; (at = shown.find(attribute)) != std::string::npos;)
                shown.erase(at, attribute.size());
        EXPECT_EQ(shown, c.notes);
    }
    document.page(2);
    EXPECT_EQ(odf::is(document.outputText().first_child().first_child(), "text:note"), false)
        << "before the note is carried, the page opens with its own text";
}

// Note "n1", cited on page 1, goes on over pages 2 and 3: each page holds its own part.
TEST(NotesGoingOnTest, ANoteOverSeveralPagesGivesEachPageItsOwnPart) {
    TestDocument document(
        R"(<text:p>one<text:note text:id="n1" text:note-class="footnote"><text:note-citation>1)"
        R"(</text:note-citation><text:note-body><text:p>a</text:p><text:p>)" +
        noteMark(2, 1) + "b</text:p><text:p>" + noteMark(3, 2) +
        "c</text:p></text:note-body></text:note></text:p><text:p>" + mark(2) + "two</text:p><text:p>" +
        mark(3) + "three</text:p><text:p>" + mark(4) + "four</text:p>");
    const NotesGoingOn notes(document.text());
    const auto part = [](const std::string& id, const std::string& citation, const std::string& text) {
        return R"(<text:note text:id=")" + id + R"(" text:note-class="footnote">)" + citation +
               "<text:note-body>" + text + "</text:note-body></text:note>";
    };
    const std::string cited = "<text:note-citation>1</text:note-citation>";
    const std::string none = "\xE2\x80\x8B";
    const std::string uncited =
        R"(<text:note-citation text:label=")" + none + R"(">)" + none + "</text:note-citation>";
    const struct {
        const char* name;
        int first, last;
        std::string notes;
    } cases[] = {
        {"the citation's page", 1, 1, part("n1", cited, "<text:p>a</text:p>")},
        {"a page in the middle holds its part only", 2, 2, part("n1_rest", uncited, "<text:p>b</text:p>")},
        {"the last page holds the end", 3, 3, part("n1_rest", uncited, "<text:p>c</text:p>")},
        {"two later pages in one output", 2, 3,
         part("n1_rest", uncited, "<text:p>b</text:p><text:p>c</text:p>")},
        {"the citation's page with the next", 1, 2,
         part("n1", cited, "<text:p>a</text:p><text:p>b</text:p>")},
        {"a page after the note", 4, 4, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(output(document, notes, c.first, c.last), c.notes);
    }
}

}  // namespace
}  // namespace fk::slicer
