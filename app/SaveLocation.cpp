#include "SaveLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace savelocation {

namespace {

bool writableFolder(const QString& path)
{
    const QFileInfo folder(path);
    return !path.isEmpty() && folder.isDir() && folder.isWritable();
}

QString tr(const char* text)
{
    return QCoreApplication::translate("SaveLocation", text);
}

} // namespace

QString dialogStart(const QString& modelFile)
{
    const QFileInfo file(modelFile);
    if (!modelFile.isEmpty() && writableFolder(file.absolutePath()))
        return modelFile;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!writableFolder(folder))
        folder = QDir::homePath();
    return modelFile.isEmpty() ? folder : QDir(folder).filePath(file.fileName());
}

QString failureReason(int error)
{
    if (error == 0)
        return tr("The reason is not known.");
    QString reason = QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.');
    if (error == EACCES || error == EPERM || error == EROFS)
        reason += tr(" Save As... can put it in a folder of yours.");
    else if (error == ENOSPC || error == EDQUOT || error == EFBIG)
        reason += tr(" Make room, or use Save As... to save it elsewhere.");
    return reason;
}

} // namespace savelocation
