// Feeds arbitrary bytes to the page slicer as a marked package: the zip is read, the XML parsed and
// cut, and every page written; then cut at heading marks, and every part written. A package the slicer
// refuses (SliceError) is an answer; a crash, a sanitizer's report, a hang or any other exception is a
// finding.
#include "InMemoryZip.h"
#include "slicer/PackageSlicer.h"

#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using fk::slicer::PackageSlicer;
using fk::slicer::PlannedPage;
using fk::slicer::SliceError;

constexpr int kMaxPages = 8;

// The package reader grows an entry only with the bytes it really reads, and refuses one past its own
// cap (512 MiB), which is above the fuzzer's allocation limit: packages that declare more than this
// are left out, so that a deflate stream that truly expands that far is not reported as a finding.
constexpr std::uint64_t kMaxDeclaredEntrySize = 64u << 20;

void removeWorkFolder();

// A folder of this process's own for the input and its pages (in TMPDIR, which scripts/fuzz.sh sets).
const fs::path& workFolder() {
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "fk-slicer-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        std::atexit(removeWorkFolder);
        return fs::path(pattern);
    }();
    return folder;
}

void removeWorkFolder() {
    std::error_code ignored;
    fs::remove_all(workFolder(), ignored);
}

// The office's account of the pages comes with the package; here it is made from the bytes themselves,
// so that a finding reproduces from its input alone: one to eight pages, some blank, some opening at a
// paragraph begun on the page before, with or without a page style, the last ones perhaps endnote pages.
std::vector<PlannedPage> planFor(const std::uint8_t* data, std::size_t size) {
    std::uint64_t state = 14695981039346656037ull;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) state = (state ^ data[i]) * 1099511628211ull;
    const auto draw = [&state](unsigned choices) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned>((state >> 33) % choices);
    };
    static const char* const kPageStyles[] = {"", "Standard", "Left Page", "Right Page", "First Page"};
    std::vector<PlannedPage> plan(1 + draw(kMaxPages));
    for (PlannedPage& page : plan) {
        page.blank = draw(6) == 0;
        page.openingParagraphBegunBefore = draw(3) == 0;
        page.pageStyle = kPageStyles[draw(5)];
    }
    // Up to two pages of endnotes after the body's, which keeps at least one page.
    const unsigned endnotePages = std::min<unsigned>(draw(3), static_cast<unsigned>(plan.size()) - 1);
    for (unsigned page = 0; page < endnotePages; ++page) plan[plan.size() - 1 - page].endnotes = true;
    return plan;
}

// The headings the office would tell of: none to four, drawn like the plan.
std::vector<std::string> headingsFor(const std::uint8_t* data, std::size_t size) {
    std::uint64_t state = 1099511628211ull;
    for (std::size_t i = 0; i < size; ++i) state = (state ^ data[i]) * 14695981039346656037ull;
    std::vector<std::string> headings(static_cast<std::size_t>((state >> 40) % 5));
    for (std::size_t k = 0; k < headings.size(); ++k) headings[k] = "Heading " + std::to_string(k + 1);
    return headings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto archive = fk::slicer::fuzz::openZip(data, size);
        archive && fk::slicer::fuzz::declaresEntryLargerThan(archive.get(), kMaxDeclaredEntrySize))
        return -1;  // not kept in the corpus
    const fs::path package = workFolder() / "marked.odt";
    std::ofstream(package, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    try {
        const PackageSlicer slicer(package, planFor(data, size));
        for (int page = 1; page <= slicer.pageCount(); ++page) {
            try {
                slicer.writePage(page, workFolder() / "page.odt");
            } catch (const SliceError&) {
            }
        }
        slicer.writePages(1, slicer.pageCount(), workFolder() / "pages.odt");
    } catch (const SliceError&) {
    }
    try {
        const PackageSlicer parts(package, planFor(data, size), headingsFor(data, size));
        if (parts.issues().empty())
            for (int part = 1; part <= parts.partCount(); ++part)
                parts.writePart(part, workFolder() / "part.odt");
    } catch (const SliceError&) {
    }
    return 0;
}
