#pragma once

#include <stdexcept>

namespace fk::slicer {

// What the slicer and its package reading and writing throw.
class SliceError : public std::runtime_error {
    using runtime_error::runtime_error;
};

}  // namespace fk::slicer
