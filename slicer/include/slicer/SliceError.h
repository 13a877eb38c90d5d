#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace fk::slicer {

// What the slicer and its package reading and writing throw. A failure of the file system keeps its
// error code, so that callers can tell a full or read-only folder from a page of their own.
class SliceError : public std::runtime_error {
public:
    explicit SliceError(const std::string& what, std::error_code code = {})
        : std::runtime_error(what), code_(code) {}

    const std::error_code& code() const { return code_; }

private:
    std::error_code code_;
};

}  // namespace fk::slicer
