#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "files/StagedFile.h"
#include "split/OutputProbe.h"

namespace fk {

// A page document the office stores, put into the output folder only once it is complete. The office
// stores it in a private folder of the run's in $TMPDIR: the temporary files its store writes beside
// a document (lu*.tmp) and its lock file go with that folder, and nothing the office does reaches the
// output folder, which a store would make again had it been removed or moved away meanwhile. The page
// is then copied under a private name beside its final one and renamed over it: a file or link at the
// final name is replaced, never written through, and a good older page is replaced only by a good new
// one.
class StagedPageFile {
public:
    // What is wrong with the file the office stored; empty when nothing is.
    using Check = std::function<QString(const QString& officeFile)>;

    // Chooses new, unguessable names; `check` tells a complete file (by default an OpenDocument
    // package whose every entry reads back whole).
    explicit StagedPageFile(QString finalPath, Check check = {});
    StagedPageFile(const StagedPageFile&) = delete;
    StagedPageFile& operator=(const StagedPageFile&) = delete;

    // Where the office is to store the page.
    const QString& stagingPath() const { return staging_; }
    // Makes the private name in the output folder and the office's private folder, before the office
    // stores; throws Failure naming the final path when either folder takes no file.
    void reserve();
    const QString& finalPath() const { return final_; }

    // Copies the office's file into place once the store wrote it and it passes the check. Throws
    // Failure naming the final path otherwise; the file at the final name then stays as it was.
    void commit();

private:
    QString final_;
    Check check_;
    files::StagedFile staged_;
    std::optional<files::TemporaryFolder> officeFolder_;
    QString staging_;
    std::optional<OutputProbe> probe_;  // from the moment the office's folder is made
};

}  // namespace fk
