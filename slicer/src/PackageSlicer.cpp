#include "slicer/PackageSlicer.h"

#include "SlicedDocument.h"

namespace fk::slicer {

PackageSlicer::PackageSlicer(const std::filesystem::path& markedPackage, std::vector<PlannedPage> plan,
                             std::optional<std::vector<std::string>> headings)
    : document_(std::make_unique<SlicedDocument>(markedPackage, std::move(plan), std::move(headings))) {}

PackageSlicer::~PackageSlicer() = default;
PackageSlicer::PackageSlicer(PackageSlicer&&) noexcept = default;
PackageSlicer& PackageSlicer::operator=(PackageSlicer&&) noexcept = default;

int PackageSlicer::pageCount() const {
    return document_->pageCount();
}

const std::vector<SliceIssue>& PackageSlicer::issues() const {
    return document_->issues();
}

bool PackageSlicer::layoutMovedWhileMarked() const {
    for (const SliceIssue& issue : issues())
        if (issue.layoutMoved) return true;
    return false;
}

void PackageSlicer::writePages(int first, int last, const std::filesystem::path& target) const {
    document_->writePages(first, last, target);
}

void PackageSlicer::markOrigin(const std::string& documentName) {
    document_->markOrigin(documentName);
}

std::string PackageSlicer::pagesPackage(int first, int last) const {
    return document_->pagesPackage(first, last);
}

int PackageSlicer::partCount() const {
    return document_->partCount();
}

const PartSpan& PackageSlicer::part(int k) const {
    return document_->part(k);
}

void PackageSlicer::writePart(int k, const std::filesystem::path& target) const {
    document_->writePart(k, target);
}

std::string PackageSlicer::partPackage(int k) const {
    return document_->partPackage(k);
}

}  // namespace fk::slicer
