#pragma once
// What users of any drawing view expect from the mouse: the wheel zooms about
// the cursor, a drag with the left button pans, a double click frames the hole
// again. Watches the view's viewport for its scene and lives as long as it.

#include <QObject>
#include <QPoint>

class QGraphicsView;
class QWidget;
class SwingScene;

class ViewNavigator : public QObject
{
public:
    ViewNavigator(QGraphicsView* view, SwingScene* scene);
    ~ViewNavigator() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The framing that keeps the scene point under `at` there at the new zoom.
    void zoomAbout(const QPointF& at, double factor);
    void panBy(const QPointF& pixels);

    QGraphicsView* view;
    // Kept apart from the view: it still sends events while the view is
    // being destroyed, when the view can no longer be asked for it.
    QWidget* port;
    SwingScene* scene;
    bool dragging = false;
    QPointF dragFrom;
};
