#pragma once
// Open, Open Results, Save and Save As: the data files of the model.
//
// Files are taken as models only when they are models (ModelFile); a file
// that is not one is refused with a message and changes nothing. Opening
// replaces the model; results are only drawn and compared. Saving replaces a
// file only once the whole text is written. UnsavedWork hears of every open
// and save.

#include <QObject>
#include <QString>

class QWidget;
class SwingModel;
class UnsavedWork;

class FileCommands : public QObject
{
    Q_OBJECT

public:
    // `window` parents the file dialogs; `unsaved` must outlive this object.
    FileCommands(SwingModel& model, UnsavedWork& unsaved, QWidget* window);

    // Also used by the command line.
    void loadModel(const QString& name);
    void openResults(const QString& name);
    // A new file, or a model; whatever else has that name is kept.
    void writeDataFile(const QString& name);

public slots:
    void open();
    void openResultsFile();
    void save();
    void saveAs();

signals:
    // Why a command did nothing, for the user.
    void error(const QString& text);
    // A model file is about to replace the model, and has replaced it.
    void aboutToReplaceModel();
    void modelReplaced();
    // A file named as a model was refused; the model is as it was.
    void refused();
    // A result file's model, to draw and compare under `label`.
    void resultsOpened(const QString& label, const SwingModel& results);

private:
    QString chooseFile();
    void saveModelAs(const QString& target);
    // False (after saying why) when `name` may not be read as a model.
    bool isModelFile(const QString& name);

    SwingModel& model;
    UnsavedWork& unsaved;
    QWidget* window;
};
