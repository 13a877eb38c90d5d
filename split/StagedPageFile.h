#pragma once

#include <QString>

#include "split/OutputProbe.h"

namespace fk {

// A page document stored under a private name beside its final one and renamed into place only when
// it is complete: a file or symbolic link already at the final name is replaced, never written
// through, and a good older page is replaced only by a good new one.
class StagedPageFile {
public:
    // Reserves a new, unguessable name in the final name's folder; throws RuntimeError when the
    // folder takes none.
    explicit StagedPageFile(QString finalPath);
    // Removes the staged file unless it was put in place.
    ~StagedPageFile();
    StagedPageFile(const StagedPageFile&) = delete;
    StagedPageFile& operator=(const StagedPageFile&) = delete;

    // Where the office is to store the page.
    const QString& stagingPath() const { return staging_; }
    const QString& finalPath() const { return final_; }

    // Renames the staged file over the final name once the store wrote it and it is a complete
    // OpenDocument package. Throws RuntimeError naming the final path otherwise; the file at the
    // final name then stays as it was.
    void commit();

private:
    static QString reserveBeside(const QString& finalPath);

    QString final_;
    QString staging_;
    OutputProbe probe_;
    bool committed_ = false;
};

}  // namespace fk
