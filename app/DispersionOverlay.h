#pragma once
// A dispersion over the plan view, drawn as `Shotlab dispersion --plot`
// draws it (DispersionItems.h): the landing points, the final points, their
// 68 % and 95 % ellipses and a small legend in a corner. A new run replaces
// what is shown; the shot, the comparison traces and a sweep's paths stay.

#include <QList>
#include <QObject>

class QGraphicsItem;
class SwingScene;
struct DispersionRun;

class DispersionOverlay : public QObject
{
    Q_OBJECT

public:
    explicit DispersionOverlay(SwingScene* plan, QObject* parent = nullptr);

    // Everything shown, and of it the lines of the ellipses (without their
    // halos): the landing points' first, 68 % before 95 %.
    const QList<QGraphicsItem*>& items() const { return added; }
    const QList<QGraphicsItem*>& ellipseLines() const { return lines; }

public slots:
    // Replaces what is shown by the run's points and ellipses.
    void show(const DispersionRun& run);
    void clear();

private:
    SwingScene* scene;
    QList<QGraphicsItem*> added;
    QList<QGraphicsItem*> lines;
};
