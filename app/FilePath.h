#pragma once
// File names between Qt and the model library, in the file system's encoding.

#include <QFile>
#include <QString>
#include <string>

namespace filepath {

inline std::string toPath(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

inline QString fromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace filepath
