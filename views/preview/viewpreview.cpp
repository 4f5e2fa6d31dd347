// viewpreview: renders the plan and elevation views of a data file or of a
// built-in hole into one PNG, laid out like the main window's right pane.
//
//   viewpreview <datafile|-hole N> [-putt] [-set Key=Value]... [-swing]
//               [-replay STEP] out.png
//
// -set changes a model value by its data-file key; -swing computes the shot
// (complex tee shot, or complex putt with -putt) in place, as Trajex would;
// -replay shows the ball at STEP with the live track a replay from step 0
// draws, instead of the whole shot. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.

#include "SideScene.h"
#include "Simulation.h"
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
    const bool swing = args.removeAll(QStringLiteral("-swing")) > 0;
    QStringList settings;
    int replayStep = -1;
    for (int i = 0; i + 1 < args.size();) {
        if (args[i] == QLatin1String("-set")) {
            settings.append(args[i + 1]);
        } else if (args[i] == QLatin1String("-replay")) {
            bool ok = false;
            replayStep = args[i + 1].toInt(&ok);
            if (!ok || replayStep < 0)
                return fail(QStringLiteral("not a step: ") + args[i + 1]);
        } else {
            ++i;
            continue;
        }
        args.remove(i, 2);
    }
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
    for (const QString& setting : std::as_const(settings)) {
        const QStringList parts = setting.split(QLatin1Char('='));
        bool ok = parts.size() == 2;
        const double value = ok ? parts[1].toDouble(&ok) : 0.0;
        if (!ok || !model.setValue(parts[0].toStdString(), value))
            return fail(QStringLiteral("not a Key=Value setting: ") + setting);
    }

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
    if (swing) {
        const quillmoor::SimResult run =
            putt ? quillmoor::complexPutt(model) : quillmoor::complexSwing(model);
        if (!run)
            return fail(QString::fromStdString(run.reason));
        model.setCurrentStep(0);
    }
    if (replayStep >= 0) {
        // As a replay from the first step leaves it at that step.
        topScene->startTracking();
        sideScene->startTracking();
        for (int step = 0; step < replayStep; step += 16)
            model.setCurrentStep(step);
        model.setCurrentStep(replayStep);
    } else {
        // As after a run with no replay: the ball at the end, the whole path drawn.
        model.setCurrentStep(-1);
        topScene->drawTrajectory(model, QString());
        sideScene->drawTrajectory(model, QString());
    }
    QApplication::processEvents();
    topScene->fitToView(false);
    sideScene->fitToView(false);

    const QPixmap picture = pane.grab();
    if (picture.isNull() || !picture.save(output, "PNG"))
        return fail(QStringLiteral("cannot write ") + output);
    return 0;
}
