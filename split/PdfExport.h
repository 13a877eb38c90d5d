#pragma once

#include "split/OfficeSession.h"

namespace fk {

// The store arguments with which the office renders a whole document to PDF for our outputs: PDF/A-2b,
// for archiving, with every page of the office's layout (the blank pages it inserts between left and
// right pages too), and without an outline or notes, which no cut page could keep whole.
office::Arguments PdfExportArguments();

}  // namespace fk
