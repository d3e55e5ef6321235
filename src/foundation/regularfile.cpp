#include "foundation/regularfile.h"

#include <QFile>
#include <filesystem>

namespace {

std::filesystem::file_status statusOf(const QString& path) {
    std::error_code failure;
    return std::filesystem::status(QFile::encodeName(path).toStdString(), failure);
}

} // namespace

namespace RegularFile {

bool is(const QString& path) {
    return std::filesystem::is_regular_file(statusOf(path));
}

bool isOtherThing(const QString& path) {
    const std::filesystem::file_status status = statusOf(path);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

} // namespace RegularFile
