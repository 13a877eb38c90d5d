#pragma once

#include <QChar>
#include <climits>

// Everything that ties Folioknife to one operating system's file system is named here,
// so that a port changes these values and not the code that uses them.
namespace fk::platform {

inline constexpr QChar kPathSeparator = QLatin1Char('/');

// Longest path the file system accepts (260 on Windows).
inline constexpr int kMaxPathLength = PATH_MAX;

}  // namespace fk::platform

// File attribute bits as the rest of the program uses them, whatever the platform.
namespace fk::attr {
inline constexpr int kReadOnly = 1;
inline constexpr int kHidden = 2;
inline constexpr int kSystem = 4;
inline constexpr int kDirectory = 16;
inline constexpr int kArchive = 32;
inline constexpr int kAlias = 1024;
}  // namespace fk::attr
