#pragma once

#include <QString>
#include <QtGlobal>
#include <chrono>

namespace fk {

// The deadline a document gets where the user names none: a minute, enough for the office to start on
// any document, and 2 s more per 100 KiB of the file, for the office's work grows with it. A small
// file that unfolds into something huge (a gigabyte of zeros packed as a picture, a comment of
// hundreds of megabytes) then costs minutes at most instead of an office busy for good.
//
// Once the office has laid the document out and counted its pages within that, each page adds a
// second: the copy method walks every page in the office (a fifth of a second a page on a quiet
// machine), and a long document must not be cut off half-way for being long.
struct DocumentDeadline {
    static constexpr std::chrono::milliseconds kBase{60'000};
    static constexpr std::chrono::milliseconds kPer100KiB{2'000};
    static constexpr std::chrono::milliseconds kPerPage{1'000};
    // The longest deadline a user may set: a week.
    static constexpr int kMaxSeconds = 7 * 24 * 3600;

    static std::chrono::milliseconds forSize(qint64 fileBytes);
    // The deadline of the document at `path`, by its size now; the base alone where it cannot be read.
    static std::chrono::milliseconds forDocument(const QString& path);
};

}  // namespace fk
