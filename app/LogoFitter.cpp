#include "LogoFitter.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>

LogoFitter::LogoFitter(QLabel* label, QLayout* row, int height)
    : QObject(label), label(label), row(row), logo(label->pixmap())
{
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    fit(height);
    label->installEventFilter(this);
}

bool LogoFitter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == label && event->type() == QEvent::Resize)
        fit(label->height());
    return QObject::eventFilter(watched, event);
}

void LogoFitter::fit(int height)
{
    if (logo.isNull() || height <= 0)
        return;
    const QPixmap shown =
        height >= logo.height() ? logo : logo.scaledToHeight(height, Qt::SmoothTransformation);
    if (label->pixmap().size() == shown.size())
        return;
    label->setPixmap(shown);
    label->setFixedWidth(shown.width());
    // A hidden window's layouts do not hear of it by themselves, and the
    // window would first show at the size the original logo asks for.
    row->invalidate();
}
