#pragma once

#include <QString>
#include <optional>

#include "files/StagedFile.h"
#include "split/OutputProbe.h"

namespace fk {

// A page document stored under a private name beside its final one and renamed into place only when
// it is complete: a file or symbolic link already at the final name is replaced, never written
// through, and a good older page is replaced only by a good new one. The office stores the page in a
// private folder of the run's beside the final name, and the temporary files its store writes beside
// the page (lu*.tmp) and its lock file stay in there and go with it.
class StagedPageFile {
public:
    // Chooses a new, unguessable name in the final name's folder.
    explicit StagedPageFile(QString finalPath);
    // Removes the staged file and its folder; the page stays if it was put in place.
    ~StagedPageFile() = default;
    StagedPageFile(const StagedPageFile&) = delete;
    StagedPageFile& operator=(const StagedPageFile&) = delete;

    // Where the office is to store the page.
    const QString& stagingPath() const { return staging_; }
    // Makes the staged file, empty, before the office stores there; throws Failure naming the final
    // path when the folder takes no file.
    void reserve();
    const QString& finalPath() const { return final_; }

    // Renames the staged file over the final name once the store wrote it and it is a complete
    // OpenDocument package. Throws Failure naming the final path otherwise; the file at the
    // final name then stays as it was.
    void commit();

private:
    QString final_;
    files::StagedFile staged_;
    QString staging_;
    std::optional<OutputProbe> probe_;  // from the moment the staged file is made
};

}  // namespace fk
