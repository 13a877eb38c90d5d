#include "PackageArchive.h"

#include <gtest/gtest.h>

#include <string>

namespace fk::slicer {
namespace {

std::string stylesOfPage(int page) {
    return R"(<office:document-styles page=")" + std::to_string(page) + R"("/>)";
}

TEST(RepeatedEntriesTest, AnEntryIsCompressedOnceFromItsSecondSightingOn) {
    RepeatedEntries repeated;
    const PackageEntry first = repeated.share({"styles.xml", stylesOfPage(1)});
    EXPECT_EQ(first.storedIn, nullptr) << "one page is no repetition";
    const PackageEntry second = repeated.share({"styles.xml", stylesOfPage(1)});
    ASSERT_NE(second.storedIn, nullptr);
    EXPECT_EQ(second.name, "styles.xml");
    EXPECT_EQ(second.data, stylesOfPage(1));
    EXPECT_EQ(repeated.share({"styles.xml", stylesOfPage(1)}).storedIn, second.storedIn);

    EXPECT_EQ(repeated.share({"content.xml", stylesOfPage(1)}).storedIn, nullptr)
        << "the same data under another name is another entry";
    EXPECT_EQ(repeated.share({"styles.xml", stylesOfPage(2)}).storedIn, nullptr);
}

TEST(RepeatedEntriesTest, SharingStopsAtItsBounds) {
    // A document whose every page has styles of its own gains nothing: only so many are kept.
    RepeatedEntries repeated;
    constexpr int kPages = 1000;
    int shared = 0;
    for (int page = 1; page <= kPages; ++page) {
        repeated.share({"styles.xml", stylesOfPage(page)});
        if (repeated.share({"styles.xml", stylesOfPage(page)}).storedIn) ++shared;
    }
    EXPECT_GT(shared, 0);
    EXPECT_LT(shared, kPages / 10);
    EXPECT_NE(repeated.share({"styles.xml", stylesOfPage(1)}).storedIn, nullptr) << "the first stay shared";
    EXPECT_EQ(repeated.share({"styles.xml", stylesOfPage(kPages)}).storedIn, nullptr);

    // Sightings are remembered up to a bound too: seen again only after very many others, an entry
    // counts as new.
    RepeatedEntries forgetful;
    forgetful.share({"styles.xml", stylesOfPage(0)});
    for (int page = 1; page <= 100 * kPages; ++page) forgetful.share({"styles.xml", stylesOfPage(page)});
    EXPECT_EQ(forgetful.share({"styles.xml", stylesOfPage(0)}).storedIn, nullptr);
    EXPECT_NE(forgetful.share({"styles.xml", stylesOfPage(0)}).storedIn, nullptr);
}

}  // namespace
}  // namespace fk::slicer
