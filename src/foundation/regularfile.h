#pragma once

#include <QString>

// Reading a named pipe waits for a writer that never comes, and a device or socket never ends: a file
// the office gives this program is opened only when it is a regular one.
namespace RegularFile {

// Whether `path` is a regular file, or a link to one (a link counts as what it points to).
bool is(const QString& path);
// Whether something other than a regular file is at `path`: a folder, a pipe, a device, a socket.
bool isOtherThing(const QString& path);

} // namespace RegularFile
