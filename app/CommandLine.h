#pragma once
// Parview's command line: the first model file named is opened, then the
// batch mode runs what it asks. "-swing [DATA]" and "-putt [DATA]" run the
// shot of that model (or of the built-in hole) in a window that is never
// shown, render both views to swing.png, swing_puttview.png and putt.png and
// write the model with its shot to DATA. What goes wrong is collected in the
// window's messages.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class FileCommands;
class QLabel;
class QWidget;
class SideScene;
class SwingModel;
class TopScene;

class CommandLine : public QObject
{
    Q_OBJECT

public:
    struct Views
    {
        TopScene* top = nullptr;
        SideScene* side = nullptr;
        QWidget* both = nullptr;    // what the image shows
        QLabel* distance = nullptr; // its text goes over the image
    };
    // What the window does for a batch run.
    struct Steps
    {
        std::function<void(bool putt)> setMode;
        std::function<void()> run; // the shot of the mode, waiting for it
        std::function<void()> updateDistance;
    };

    CommandLine(SwingModel& model, FileCommands* files, const Views& views, const Steps& steps,
                QStringList& messages, QObject* parent);

    // True when the arguments ask for a batch run.
    static bool requested(const QStringList& arguments);
    // Loads the first model file named, then runs what the arguments ask.
    void process(const QStringList& arguments);
    // Both views, as large as the window lays them out, as a PNG file.
    void saveImage(const QString& name);

private:
    SwingModel& model;
    FileCommands* files;
    Views views;
    Steps steps;
    QStringList& messages;
};
