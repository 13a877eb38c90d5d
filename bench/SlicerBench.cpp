// The page slicer alone, without an office: cuts a generated marked package of many pages and tells
// whether a page costs the same at the end of a long document as at its start.
// Usage: slicer_bench [PAGES...]   (default: 200 1000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestPackage.h"
#include "TestXml.h"
#include "slicer/PackageSlicer.h"

namespace {

namespace fs = std::filesystem;
using fk::slicer::mark;

constexpr int kParagraphsPerPage = 12;
constexpr int kPagesTimed = 100;

// A page as long reports have them: a heading, numbered items, paragraphs cut across the page break,
// a footnote, and spans with automatic styles of their own.
std::string pageBody(int page, int pages) {
    std::string body = R"(<text:h text:outline-level="2">Section )" + std::to_string(page) + "</text:h>";
    body += R"(<text:list text:style-name="L1"><text:list-item><text:p>An item</text:p></text:list-item>)"
            R"(<text:list-item><text:p>Another item</text:p></text:list-item></text:list>)";
    for (int paragraph = 0; paragraph < kParagraphsPerPage; ++paragraph) {
        body += R"(<text:p text:style-name="P1">Words that fill a line of the page, )";
        body += R"(<text:span text:style-name="T)" + std::to_string(page % 50) +
                R"(">some in a span</text:span>)";
        if (paragraph == 3)
            body +=
                R"(<text:note text:note-class="footnote"><text:note-citation>)" + std::to_string(page) +
                "</text:note-citation><text:note-body><text:p>A note</text:p></text:note-body></text:note>";
        body += " and a few more words after them.";
        // The page's last paragraph runs on to the next page, where the next mark stands.
        if (paragraph == kParagraphsPerPage - 1 && page < pages) body += mark(page + 1) + " The rest of it.";
        body += "</text:p>";
    }
    return body;
}

fs::path writeMarkedPackage(const fs::path& folder, int pages) {
    std::string body = "<text:sequence-decls/><text:p>" + mark(1) + "</text:p>";
    for (int page = 1; page <= pages; ++page) body += pageBody(page, pages);
    std::string automaticStyles =
        R"(<style:style style:name="P1" style:family="paragraph"><style:paragraph-properties )"
        R"(fo:text-align="justify"/></style:style>)";
    for (int style = 0; style < 50; ++style)
        automaticStyles +=
            R"(<style:style style:name="T)" + std::to_string(style) +
            R"(" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>)";
    const fs::path path = folder / "marked.odt";
    fk::slicer::TestPackage::write(
        path, {{"mimetype", "application/vnd.oasis.opendocument.text"},
               {"content.xml", fk::slicer::contentXml(body, automaticStyles)},
               {"styles.xml", fk::slicer::stylesXml("")},
               {"META-INF/manifest.xml",
                fk::slicer::manifestXml({{"content.xml", "text/xml"}, {"styles.xml", "text/xml"}})}});
    return path;
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Milliseconds per page for pages first..first + kPagesTimed - 1, best of three rounds.
double msPerPage(const fk::slicer::PackageSlicer& slicer, int first, const fs::path& folder) {
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int page = first; page < first + kPagesTimed; ++page)
            slicer.writePage(page, folder / ("page-" + std::to_string(page) + ".odt"));
        best = std::min(best, millisecondsSince(start) / kPagesTimed);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::max(kPagesTimed, std::atoi(argv[i])));
    if (sizes.empty()) sizes = {200, 1000};
    const fs::path folder = fs::temp_directory_path() / ("slicer_bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::printf("%8s %12s %16s %16s %8s\n", "pages", "read ms", "ms/page first", "ms/page last", "last/1st");
    for (const int pages : sizes) {
        const fs::path input = writeMarkedPackage(folder, pages);
        std::vector<fk::slicer::PlannedPage> plan(static_cast<size_t>(pages), {.pageStyle = "Standard"});
        const auto start = std::chrono::steady_clock::now();
        const fk::slicer::PackageSlicer slicer(input, plan);
        const double read = millisecondsSince(start);
        if (!slicer.issues().empty()) {
            std::fprintf(stderr, "the slicer does not understand page %d: %s\n", slicer.issues()[0].page,
                         slicer.issues()[0].what.c_str());
            return 1;
        }
        const double first = msPerPage(slicer, 1, folder);
        const double last = msPerPage(slicer, pages - kPagesTimed + 1, folder);
        std::printf("%8d %12.1f %16.3f %16.3f %8.2f\n", pages, read, first, last, last / first);
        std::fflush(stdout);
    }
    fs::remove_all(folder);
    return 0;
}
