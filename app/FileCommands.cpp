#include "FileCommands.h"

#include "FileOutput.h"
#include "FilePath.h"
#include "ModelFile.h"
#include "SaveLocation.h"
#include "SwingModel.h"
#include "UnsavedWork.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <cerrno>

using filepath::fromPath;
using filepath::toPath;

namespace {

// Start directory of the open dialog for a model without a file: the
// installed examples, else those of the source tree this was built from.
QString examplesDir()
{
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .absoluteFilePath(QStringLiteral("../share/quillmoor/examples"));
    if (QFileInfo(installed).isDir())
        return QDir::cleanPath(installed);
#ifdef QUILLMOOR_SOURCE_EXAMPLES
    if (QFileInfo(QStringLiteral(QUILLMOOR_SOURCE_EXAMPLES)).isDir())
        return QStringLiteral(QUILLMOOR_SOURCE_EXAMPLES);
#endif
    return QString();
}

} // namespace

FileCommands::FileCommands(SwingModel& model, UnsavedWork& unsaved, QWidget* window)
    : QObject(window), model(model), unsaved(unsaved), window(window)
{
}

QString FileCommands::chooseFile()
{
    const QString start = model.fileName.empty() ? examplesDir() : fromPath(model.fileName);
    return QFileDialog::getOpenFileName(window, tr("Open file..."), start, tr("*.txt *.in *.out"));
}

void FileCommands::open()
{
    // Nobody to ask in a window that is not shown.
    if (window->isVisible() && !unsaved.confirmOpen(window, model))
        return;
    const QString name = chooseFile();
    if (!name.isEmpty())
        loadModel(name);
}

void FileCommands::openResultsFile()
{
    const QString name = chooseFile();
    if (!name.isEmpty())
        openResults(name);
}

void FileCommands::save()
{
    const QString target = fromPath(model.fileName);
    if (target.isEmpty())
        saveAs();
    else
        saveModelAs(target);
}

void FileCommands::saveAs()
{
    const QString target = QFileDialog::getSaveFileName(
        window, tr("Save as..."), savelocation::dialogStart(fromPath(model.fileName)),
        tr("*.txt;;*.in"));
    if (!target.isEmpty())
        saveModelAs(target);
}

void FileCommands::saveModelAs(const QString& target)
{
    // The model only replaces the file once the whole text is written, so a
    // failure leaves the old file and the old name in place.
    errno = 0;
    if (model.write(toPath(target), false)) {
        model.fileName = toPath(target);
        unsaved.markSaved(model);
    } else {
        const int error = errno;
        emit this->error(tr("The file could not be written: ") + target + QLatin1Char('\n') +
                         savelocation::failureReason(error));
    }
}

bool FileCommands::isModelFile(const QString& name)
{
    switch (modelfile::examine(toPath(name))) {
    case modelfile::Verdict::Model:
        return true;
    case modelfile::Verdict::Unreadable:
        emit error(tr("Unable to read file: ") + name);
        return false;
    case modelfile::Verdict::NotAModel:
        emit error(tr("Not a model data file: ") + name);
        return false;
    case modelfile::Verdict::TooLarge:
        emit error(tr("Not a model data file, larger than any model (over %1 MB): ")
                       .arg(modelfile::kMaxModelFileBytes >> 20) +
                   name);
        return false;
    }
    return false;
}

void FileCommands::loadModel(const QString& name)
{
    // A refused file leaves the model as it was.
    SwingModel loaded(false);
    if (!isModelFile(name)) {
        emit refused();
        return;
    }
    if (!modelfile::loadOver(model, toPath(name), loaded)) {
        emit error(tr("Unable to read file: ") + name);
        emit refused();
        return;
    }
    emit aboutToReplaceModel();
    loaded.fileName = toPath(name);
    model.adopt(loaded, AllChanged);
    unsaved.markSaved(model);
    emit modelReplaced();
}

void FileCommands::openResults(const QString& name)
{
    SwingModel results(false);
    if (!isModelFile(name))
        return;
    // Only the trace is wanted: the file's hole stays out of the catalogue.
    if (!modelfile::readDetached(toPath(name), results)) {
        emit error(tr("Unable to read file: ") + name);
        return;
    }
    emit resultsOpened(QFileInfo(name).fileName(), results);
}

void FileCommands::writeDataFile(const QString& name)
{
    // Only a regular file is looked into first, and never the one standard
    // output has open: reading a FIFO, a device or a pipe would wait for a
    // writer or never end, and such a file is written into, not replaced.
    const std::string path = toPath(name);
    if (fileout::isRegularFile(path) && !fileout::isStandardStream(path) &&
        modelfile::examine(path) == modelfile::Verdict::NotAModel) {
        emit error(tr("Not a model data file, so not overwritten: ") + name);
        return;
    }
    std::string why;
    if (!model.write(path, false, &why))
        emit error(tr("Unable to write data file: %1 (%2)")
                       .arg(name, QString::fromLocal8Bit(why.c_str())));
}
