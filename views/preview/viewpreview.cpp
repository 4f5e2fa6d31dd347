// viewpreview: renders the plan and elevation views of a data file or of a
// built-in hole into one PNG, laid out like the main window's right pane.
//
//   viewpreview <datafile|-hole N> [-putt] out.png
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "SideScene.h"
#include "SwingModel.h"
#include "TopScene.h"

#include <QApplication>
#include <QGraphicsView>
#include <QSplitter>
#include <QTextStream>

namespace {
int fail(const QString& message)
{
    QTextStream(stderr) << "viewpreview: " << message << '\n';
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QStringList args = app.arguments().mid(1);
    const bool putt = args.removeAll(QStringLiteral("-putt")) > 0;
    int hole = 0;
    if (args.size() == 3 && args[0] == QLatin1String("-hole")) {
        bool ok = false;
        hole = args[1].toInt(&ok);
        if (!ok)
            return fail(QStringLiteral("not a hole number: ") + args[1]);
        args.removeFirst();
        args.removeFirst();
        args.prepend(QString());
    }
    if (args.size() != 2)
        return fail(QStringLiteral("usage: viewpreview <datafile|-hole N> [-putt] out.png"));
    const QString output = args[1];

    SwingModel model;
    if (hole != 0) {
        if (!holeCatalogue().count(hole))
            return fail(QStringLiteral("no such hole: %1").arg(hole));
        model.selectHole(hole);
    } else if (!model.read(args[0].toStdString())) {
        return fail(QStringLiteral("cannot read ") + args[0]);
    }
    if (putt)
        model.setPuttEnabled(true);

    QSplitter pane(Qt::Vertical);
    auto* topView = new QGraphicsView(&pane);
    auto* sideView = new QGraphicsView(&pane);
    auto* topScene = new TopScene(topView);
    auto* sideScene = new SideScene(sideView);
    pane.resize(900, 640);
    // A view's size hint follows its scene, so the halves are set explicitly.
    pane.setSizes({320, 320});
    pane.show();

    topScene->modelChanged(model, AllChanged);
    sideScene->modelChanged(model, AllChanged);
    // As after a run with no replay: the ball at the end, the whole path drawn.
    model.setCurrentStep(-1);
    topScene->drawTrajectory(model, QString());
    sideScene->drawTrajectory(model, QString());
    QApplication::processEvents();
    topScene->fitToView(false);
    sideScene->fitToView(false);

    const QPixmap picture = pane.grab();
    if (picture.isNull() || !picture.save(output, "PNG"))
        return fail(QStringLiteral("cannot write ") + output);
    return 0;
}
