#pragma once

#include <string>

#include "slicer/MarkNames.h"

namespace fk::slicer {

// One output of a document cut at its headings: the body from one heading to the next.
struct PartSpan {
    std::string heading;  // the heading's text as the office tells it; empty for the matter before the first
    int firstPage = 1;    // first and last page of the input layout that the part has text on
    int lastPage = 1;
};

}  // namespace fk::slicer
