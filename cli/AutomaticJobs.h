#pragma once

#include <QList>
#include <QtGlobal>

namespace fk::cli {

// What --jobs auto sizes the run to.
struct MachineResources {
    int cores = 1;
    qint64 availableBytes = 0;  // memory that can be had without swapping; 0 when unknown
};

// This machine's cores and the memory it has available now.
MachineResources MeasureMachine();

// How much an office holds while it splits a document: its own size, and more for a larger document.
// Measured on LibreOffice 7.4 (see the README): 215 MB resident with a small document, whatever its
// pages; a dense 356 KB text of 255 pages took 326 MB to store and 372 MB to export to PDF/A, about 440
// bytes for each byte of its file. Pictures weigh less than that per byte, so this errs on the safe side.
// The largest document counts, for any office may get it.
qint64 OfficeBytesFor(qint64 documentBytes);

// As many offices as cores, fewer where the memory available would not hold them, never fewer than one
// nor more than the documents that can be split apart (`groups`).
int AutomaticJobCount(const MachineResources& machine, qint64 largestDocumentBytes, int groups);

}  // namespace fk::cli
