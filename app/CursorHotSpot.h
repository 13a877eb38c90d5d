#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <optional>

namespace fk {

// The hot spot a Windows cursor file (.cur) names for its first picture; nothing when the bytes are
// not a cursor file.
std::optional<QPoint> CursorHotSpot(const QByteArray& fileBytes);
std::optional<QPoint> CursorFileHotSpot(const QString& path);

}  // namespace fk
