#pragma once

#include "split/OfficeBridge.h"

namespace fk {

// A new name/value struct from a fresh service manager. Failures reach the caller.
office::PropertyValue MakePropertyValue(office::OfficeBridge& bridge, const QString& name,
                                        const QVariant& value);

namespace office {
// The arguments every document is loaded with: macros never run, links are not updated, nothing asks.
Arguments UnattendedLoadArguments();
}  // namespace office

// A local path as a file URL the office accepts: absolute, percent-encoded UTF-8.
QString ToFileUrl(const QString& path);

}  // namespace fk
