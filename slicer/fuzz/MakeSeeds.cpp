// Writes small marked packages into a folder, the fuzz target's seeds beside the hard cases: each holds
// something the slicer cuts in its own way, so that the fuzzer starts from packages it reads through.
// Usage: slicer_fuzz_seeds FOLDER
#include "TestPackage.h"
#include "TestXml.h"
#include "slicer/MarkNames.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace fk::slicer;

using Entries = std::vector<std::pair<std::string, std::string>>;

const std::string kPng = "\x89PNG\r\n\x1a\n";

std::string frame(const std::string& anchor, const std::string& picture, const std::string& extra = "") {
    return R"(<draw:frame text:anchor-type=")" + anchor + R"(" svg:width="2cm" svg:height="1cm")" + extra +
           R"(><draw:image xlink:href=")" + picture + R"("/></draw:frame>)";
}

std::string note(int number) {
    return R"(<text:note text:note-class="footnote"><text:note-citation>)" + std::to_string(number) +
           "</text:note-citation><text:note-body><text:p>note</text:p></text:note-body></text:note>";
}

// A package with the body, styles and pictures given, and a manifest that lists them.
void writeSeed(const fs::path& folder, const std::string& name, const std::string& content,
               const std::string& styles, const std::vector<std::string>& pictures = {}) {
    Entries entries{{"mimetype", "application/vnd.oasis.opendocument.text"},
                    {"content.xml", content},
                    {"styles.xml", styles}};
    Entries listed{{"content.xml", "text/xml"}, {"styles.xml", "text/xml"}};
    for (const std::string& picture : pictures) {
        entries.emplace_back(picture, kPng);
        listed.emplace_back(picture, "image/png");
    }
    entries.emplace_back("META-INF/manifest.xml", manifestXml(listed));
    TestPackage::write(folder / (name + ".odt"), entries);
}

const std::string kMasterPages =
    R"(<style:master-page style:name="Standard" style:page-layout-name="pm1"><style:header><text:p>)"
    R"(<text:page-number text:select-page="current">1</text:page-number> of )"
    R"(<text:page-count>3</text:page-count></text:p></style:header></style:master-page>)"
    R"(<style:master-page style:name="Left_20_Page" style:display-name="Left Page" )"
    R"(style:page-layout-name="pm2" style:next-style-name="Right_20_Page"/>)"
    R"(<style:master-page style:name="Right_20_Page" style:display-name="Right Page" )"
    R"(style:page-layout-name="pm3" style:next-style-name="Left_20_Page"/>)";
const std::string kPageLayouts =
    R"(<style:page-layout style:name="pm1"/><style:page-layout style:name="pm2" style:page-usage="left"/>)"
    R"(<style:page-layout style:name="pm3" style:page-usage="right"/>)";
const std::string kStyles = stylesXml(
    R"(<text:notes-configuration text:note-class="footnote" text:start-value="0"/>)"
    R"(<style:style style:name="Heading_20_1" style:family="paragraph" style:default-outline-level="1"/>)"
    R"(<text:outline-style style:name="Outline"><text:outline-level-style text:level="1" )"
    R"(style:num-format="1"/></text:outline-style>)",
    kMasterPages, kPageLayouts);

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    fs::create_directories(folder);

    writeSeed(folder, "pictures-notes",
              contentXml(R"(<text:sequence-decls/>)" +
                         frame("page", "Pictures/p.png", R"( text:anchor-page-number="2")") + "<text:p>" +
                         mark(1) + "one" + frame("as-char", "Pictures/a%20b.png") + note(1) +
                         "</text:p><text:p>" + frame("paragraph", "Pictures/p.png") + mark(2) + "two" +
                         note(2) + "</text:p><text:p>th" + mark(3) + "ree</text:p>"),
              kStyles, {"Pictures/a b.png", "Pictures/p.png"});

    writeSeed(folder, "left-right-blank",
              contentXml(R"(<text:p text:style-name="P1">one</text:p><text:p>)" + mark(3) +
                             R"(three</text:p><text:p text:style-name="P2">)" + mark(4) + "four</text:p>",
                         R"(<style:style style:name="P1" style:family="paragraph" )"
                         R"(style:master-page-name="Right_20_Page"/><style:style style:name="P2" )"
                         R"(style:family="paragraph"><style:paragraph-properties fo:break-before="page" )"
                         R"(style:page-number="7"/></style:style>)"),
              kStyles);

    const auto headingMark = [](int heading) {
        return R"(<text:bookmark text:name=")" + HeadingMarkName(heading) + R"("/>)";
    };
    writeSeed(folder, "chapters",
              contentXml("<text:p>" + mark(1) + "title</text:p><text:h text:outline-level=\"1\">" + mark(2) +
                         headingMark(1) + "One</text:h><text:p>a" + mark(3) +
                         "b</text:p><text:h text:outline-level=\"1\">" + headingMark(2) +
                         "Two</text:h><text:section text:name=\"S\"><text:h text:outline-level=\"2\">" +
                         headingMark(3) + "Two.one</text:h><text:p>c</text:p></text:section>"),
              kStyles);

    writeSeed(folder, "table-headings-lists",
              contentXml(
                  R"(<text:h text:style-name="Heading_20_1" text:outline-level="1">Head)" + mark(1) +
                      R"(</text:h><table:table table:name="T"><table:table-column/><table:table-header-rows>)"
                      R"(<table:table-row><table:table-cell><text:p>head</text:p></table:table-cell>)"
                      R"(</table:table-row></table:table-header-rows><table:table-row><table:table-cell>)"
                      R"(<text:p>a</text:p></table:table-cell></table:table-row><table:table-row>)"
                      R"(<table:table-cell><text:p>)" +
                      mark(2) +
                      R"(b</text:p></table:table-cell></table:table-row></table:table><text:list )"
                      R"(text:style-name="L1"><text:list-item><text:p>x</text:p></text:list-item>)"
                      R"(<text:list-item><text:p>)" +
                      mark(3) +
                      R"(y</text:p><text:list><text:list-item><text:p>z</text:p></text:list-item>)"
                      R"(</text:list></text:list-item></text:list><text:section text:name="S">)"
                      R"(<text:p>c)" +
                      mark(4) + "d</text:p></text:section>",
                  R"(<text:list-style style:name="L1"><text:list-level-style-number text:level="1" )"
                  R"(style:num-format="1"/></text:list-style>)"),
              kStyles);

    writeSeed(
        folder, "lifted-and-left-at-foot",
        contentXml("<text:p>" + mark(1) + "one" +
                       frame("paragraph", "Pictures/p.png", R"( draw:style-name="gr1" svg:y="-1.2cm")") +
                       "</text:p><text:p>" + frame("paragraph", "Pictures/p.png") + mark(2) +
                       R"(two <text:sequence text:name="Figure" text:formula="ooow:Figure+1">1)"
                       R"(</text:sequence></text:p>)",
                   R"(<style:style style:name="gr1" style:family="graphic" style:parent-style-name="gr1">)"
                   R"(<style:graphic-properties style:wrap="none" style:vertical-pos="top" )"
                   R"(style:vertical-rel="paragraph"/></style:style>)"),
        kStyles, {"Pictures/p.png"});

    // Numbers at the end of the range, which counting on from must not overflow.
    const std::string kLargest = "2147483647";
    writeSeed(
        folder, "largest-numbers",
        contentXml(R"(<text:h text:outline-level="1" text:restart-numbering="true" text:start-value=")" +
                       kLargest + R"(">a</text:h><text:h text:outline-level="1">b</text:h><text:list>)" +
                       R"(<text:list-item text:start-value=")" + kLargest +
                       R"("><text:p>c</text:p></text:list-item><text:list-item><text:p>d</text:p>)" +
                       R"(</text:list-item></text:list><text:p text:style-name="P1">e)" + note(1) +
                       R"(<text:sequence text:name="F" text:formula="ooow:)" + kLargest +
                       R"(">1</text:sequence><text:sequence text:name="F" text:formula="ooow:F+1">2)" +
                       "</text:sequence></text:p><text:p>" + mark(2) + "f" + note(2) + "</text:p><text:p>" +
                       mark(3) + "g</text:p>",
                   R"(<style:style style:name="P1" style:family="paragraph"><style:paragraph-properties )"
                   R"(style:page-number=")" +
                       kLargest + R"("/></style:style>)"),
        stylesXml(R"(<text:notes-configuration text:note-class="footnote" text:start-value=")" + kLargest +
                      R"("/>)",
                  kMasterPages, kPageLayouts));
    return 0;
}
