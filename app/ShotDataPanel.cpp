#include "ShotDataPanel.h"

#include "SwingModel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <QVBoxLayout>

using quillmoor::ShotColumn;
using quillmoor::shotColumns;
using quillmoor::ShotKind;

namespace {

QString rowLabel(const ShotColumn& c)
{
    const auto& f = c.field();
    QString label = QString::fromUtf8(f.label);
    if (*f.unit)
        label += QStringLiteral(" (%1)").arg(QString::fromUtf8(f.unit));
    return label;
}

bool belongsTo(const ShotColumn& c, ShotKind kind)
{
    return kind == ShotKind::Tee ? c.tee != nullptr : c.putt != nullptr;
}

} // namespace

ShotDataPanel::ShotDataPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("shotDataPanel"));
    setWindowTitle(tr("Shot data"));

    view = new QTableWidget(this);
    view->setObjectName(QStringLiteral("shotDataTable"));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::ContiguousSelection);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->installEventFilter(this);

    auto* copyAction = new QAction(tr("&Copy"), view);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction, &QAction::triggered, this, &ShotDataPanel::copy);
    view->addAction(copyAction);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);

    columns.append(columnOf(tr("This shot"), nullptr));
    refresh();
}

ShotDataPanel::Column ShotDataPanel::columnOf(const QString& title, const SwingModel* model)
{
    Column c{title, ShotKind::Tee, std::nullopt};
    if (model) {
        c.kind = model->PuttEnabled ? ShotKind::Putt : ShotKind::Tee;
        c.shot = quillmoor::summarizeActiveShot(*model);
    }
    return c;
}

void ShotDataPanel::setShots(const QVector<QPair<QString, const SwingModel*>>& shots)
{
    columns.clear();
    for (const auto& s : shots)
        columns.append(columnOf(s.first, s.second));
    refresh();
}

void ShotDataPanel::setCurrentShot(const SwingModel& model)
{
    const Column c = columnOf(tr("This shot"), &model);
    if (columns.isEmpty())
        columns.append(c);
    else
        columns.first() = c;
    refresh();
}

void ShotDataPanel::addComparison(const QString& title, const SwingModel& model)
{
    if (columns.isEmpty())
        columns.append(columnOf(tr("This shot"), nullptr));
    columns.append(columnOf(title, &model));
    refresh();
}

void ShotDataPanel::clearComparisons()
{
    columns.resize(std::min<qsizetype>(columns.size(), 1));
    refresh();
}

void ShotDataPanel::refresh()
{
    const auto& rows = shotColumns();
    view->clear();
    view->setRowCount(static_cast<int>(rows.size()));
    view->setColumnCount(static_cast<int>(columns.size()));

    QStringList titles;
    for (const Column& c : columns)
        titles << c.title;
    view->setHorizontalHeaderLabels(titles);

    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const ShotColumn& row = rows[r];
        view->setVerticalHeaderItem(r, new QTableWidgetItem(rowLabel(row)));
        bool used = false;
        for (int c = 0; c < columns.size(); ++c) {
            const Column& col = columns[c];
            QString text; // empty: the number belongs to the other kind of shot
            if (belongsTo(row, col.kind)) {
                used = true;
                const std::optional<double> v = col.shot ? row.of(*col.shot) : std::nullopt;
                if (!v)
                    text = QStringLiteral("\u2013");
                else if (row.field().isFlag)
                    text = *v != 0.0 ? tr("yes") : tr("no");
                else
                    text = QString::fromStdString(quillmoor::fixedText(*v, row.field().decimals));
            }
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            view->setItem(r, c, item);
        }
        view->setRowHidden(r, !used);
    }
}

QString ShotDataPanel::copyText() const
{
    int top = 0, left = 0, bottom = view->rowCount() - 1, right = view->columnCount() - 1;
    const QList<QTableWidgetSelectionRange> ranges = view->selectedRanges();
    if (!ranges.isEmpty()) {
        top = ranges.first().topRow();
        left = ranges.first().leftColumn();
        bottom = ranges.first().bottomRow();
        right = ranges.first().rightColumn();
        for (const auto& range : ranges) {
            top = std::min(top, range.topRow());
            left = std::min(left, range.leftColumn());
            bottom = std::max(bottom, range.bottomRow());
            right = std::max(right, range.rightColumn());
        }
    }

    QString text;
    for (int c = left; c <= right; ++c)
        text += QLatin1Char('\t') + view->horizontalHeaderItem(c)->text();
    text += QLatin1Char('\n');
    for (int r = top; r <= bottom; ++r) {
        if (view->isRowHidden(r))
            continue;
        text += view->verticalHeaderItem(r)->text();
        for (int c = left; c <= right; ++c) {
            const QTableWidgetItem* item = view->item(r, c);
            text += QLatin1Char('\t');
            if (item && (ranges.isEmpty() || item->isSelected()))
                text += item->text();
        }
        text += QLatin1Char('\n');
    }
    return text;
}

void ShotDataPanel::copy() const
{
    QApplication::clipboard()->setText(copyText());
}

QString ShotDataPanel::verdict(const SwingModel& model)
{
    return QString::fromStdString(quillmoor::shotVerdict(model));
}

bool ShotDataPanel::eventFilter(QObject* watched, QEvent* event)
{
    // The table's own Ctrl+C copies the current cell alone; take it over.
    if (watched == view && event->type() == QEvent::ShortcutOverride) {
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            event->accept();
            return true;
        }
    }
    if (watched == view && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            copy();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
