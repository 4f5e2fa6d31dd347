#include "ShotDataPanel.h"

#include "PhysicsChoice.h"
#include "SweepResults.h"
#include "SwingModel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QResizeEvent>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

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

// A long label goes on two lines of about equal length, so that the labels
// leave room beside them for a comparison in a narrow panel.
QString shownLabel(QString label)
{
    if (label.size() <= 14)
        return label;
    qsizetype best = -1;
    for (qsizetype i = label.indexOf(QLatin1Char(' ')); i >= 0;
         i = label.indexOf(QLatin1Char(' '), i + 1))
        if (best < 0 || std::max(i, label.size() - i) < std::max(best, label.size() - best))
            best = i;
    if (best >= 0)
        label[best] = QLatin1Char('\n');
    return label;
}

// The header draws the titles of the selected cells' columns in bold: a
// title is measured so, or it would be cut when selected.
QFontMetrics titleMetrics(const QHeaderView* header)
{
    QFont bold = header->font();
    bold.setBold(true);
    return QFontMetrics(bold);
}

// The width of a header section holding title (of one or more lines).
int headerWidth(const QHeaderView* header, const QString& title)
{
    QStyleOptionHeader option;
    option.initFrom(header);
    option.fontMetrics = titleMetrics(header); // what the style measures the text with
    option.text = title;
    const QSize text = option.fontMetrics.size(0, title);
    return header->style()
        ->sizeFromContents(QStyle::CT_HeaderSection, &option, text, header)
        .width();
}

bool belongsTo(const ShotColumn& c, ShotKind kind)
{
    return kind == ShotKind::Tee ? c.tee != nullptr : c.putt != nullptr;
}

// The numbers of one kind of shot, then those both kinds have (the distance
// to the hole): where the ball ended comes last for a putt as for a tee shot.
const std::vector<const ShotColumn*>& rowOrder()
{
    static const std::vector<const ShotColumn*> order = [] {
        std::vector<const ShotColumn*> rows;
        for (const bool shared : {false, true})
            for (const ShotColumn& c : shotColumns())
                if ((c.tee && c.putt) == shared)
                    rows.push_back(&c);
        return rows;
    }();
    return order;
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
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed); // see refresh()
    view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);

    auto* copyAction = new QAction(tr("&Copy"), view);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction, &QAction::triggered, this, &ShotDataPanel::copy);
    view->addAction(copyAction);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);

    sweepBox = new QWidget(this);
    sweepBox->setObjectName(QStringLiteral("sweepBox"));
    sweepTitle = new QLabel(sweepBox);
    sweepView = new QTableView(sweepBox);
    sweepView->setObjectName(QStringLiteral("sweepTable"));
    sweepView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sweepView->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Rows of one height: a sweep may have far too many to measure each.
    sweepView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sweepView->verticalHeader()->setDefaultSectionSize(sweepView->fontMetrics().height() + 6);
    auto* sweepLayout = new QVBoxLayout(sweepBox);
    sweepLayout->setContentsMargins(0, 0, 0, 0);
    sweepLayout->addWidget(sweepTitle);
    sweepLayout->addWidget(sweepView);
    sweepBox->hide();

    split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);
    split->addWidget(view);
    split->addWidget(sweepBox);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);

    columns.append(columnOf(tr("This shot"), nullptr));
    refresh();
}

ShotDataPanel::Column ShotDataPanel::columnOf(const QString& title, const SwingModel* model)
{
    Column c{title, ShotKind::Tee, std::nullopt, QString()};
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

void ShotDataPanel::setCurrentShot(const SwingModel& model, const QString& physics)
{
    Column c = columnOf(tr("This shot"), &model);
    c.physics = physics;
    if (columns.isEmpty())
        columns.append(c);
    else
        columns.first() = c;
    refresh();
}

void ShotDataPanel::clearCurrentShot(ShotKind kind)
{
    Column c = columnOf(tr("This shot"), nullptr);
    c.kind = kind;
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
    const auto& rows = rowOrder();
    // The table resizes its viewport while it changes shape; the columns are
    // fitted once it is filled.
    filling = true;
    view->clear();
    view->setRowCount(static_cast<int>(rows.size()) + 1);
    view->setColumnCount(static_cast<int>(columns.size()));

    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const ShotColumn& row = *rows[r];
        const QString label = rowLabel(row);
        auto* header = new QTableWidgetItem(shownLabel(label));
        header->setData(Qt::UserRole, label);
        view->setVerticalHeaderItem(r, header);
        bool used = false;
        for (int c = 0; c < columns.size(); ++c) {
            const Column& col = columns[c];
            QString text; // empty: the number belongs to the other kind of shot
            if (belongsTo(row, col.kind)) {
                used = true;
                text = QString::fromStdString(
                    quillmoor::tableCell(row.field(), col.shot ? row.of(*col.shot) : std::nullopt));
            }
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            view->setItem(r, c, item);
        }
        view->setRowHidden(r, !used);
    }
    // What made each shot: shots from files do not say.
    const int last = static_cast<int>(rows.size());
    auto* header = new QTableWidgetItem(tr("Physics"));
    header->setData(Qt::UserRole, tr("Physics"));
    view->setVerticalHeaderItem(last, header);
    for (int c = 0; c < columns.size(); ++c) {
        const Column& col = columns[c];
        auto* item = new QTableWidgetItem(col.shot && !col.physics.isEmpty()
                                              ? col.physics
                                              : QString::fromUtf8(quillmoor::kAbsentCell));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        view->setItem(last, c, item);
    }

    filling = false;
    fitColumns();
}

void ShotDataPanel::fitColumns()
{
    if (filling)
        return;
    // Each column as wide as its numbers, at least columnWidth(); what room
    // the panel has left widens the comparisons toward their whole titles. A
    // title still too long loses its start, as names of related files tend
    // to differ at their end; the tool tip shows it whole.
    const QFontMetrics cells = view->fontMetrics();
    const QFontMetrics titles = titleMetrics(view->horizontalHeader());
    QVector<int> widths;
    int spare = view->viewport()->width();
    for (int c = 0; c < columns.size(); ++c) {
        int width = columnWidth();
        for (int r = 0; r < view->rowCount(); ++r)
            if (!view->isRowHidden(r))
                width = std::max(width,
                                 cells.horizontalAdvance(view->item(r, c)->text()) + cellPadding());
        widths.append(width);
        spare -= width;
    }
    for (int c = 1; c < columns.size() && spare > 0; ++c) {
        const int grow = std::clamp(titleWidth(columns[c].title) - widths[c], 0, spare);
        widths[c] += grow;
        spare -= grow;
    }
    for (int c = 0; c < columns.size(); ++c) {
        view->setColumnWidth(c, widths[c]);
        const QString& title = columns[c].title;
        const QString shown =
            widths[c] >= titleWidth(title)
                ? title
                : titles.elidedText(title, Qt::ElideLeft, widths[c] - titleWidth(QString()));
        QTableWidgetItem* header = view->horizontalHeaderItem(c);
        if (!header) {
            header = new QTableWidgetItem;
            view->setHorizontalHeaderItem(c, header);
        }
        if (header->text() != shown)
            header->setText(shown);
        header->setToolTip(title);
    }
}

int ShotDataPanel::cellPadding() const
{
    return 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) +
           view->fontMetrics().averageCharWidth();
}

int ShotDataPanel::titleWidth(const QString& title) const
{
    return headerWidth(view->horizontalHeader(), title);
}

int ShotDataPanel::columnWidth() const
{
    // The current shot's title, or a number of the usual size.
    const int number =
        view->fontMetrics().horizontalAdvance(QStringLiteral("-888.88")) + cellPadding();
    return std::max(titleWidth(tr("This shot")), number);
}

void ShotDataPanel::showSweep(QAbstractItemModel* rows)
{
    sweepView->setModel(rows);
    connect(rows, &QAbstractItemModel::modelReset, this, [this] {
        sweepChanged();
        fitSweepColumns(0, -1);
    });
    connect(rows, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                sweepChanged();
                fitSweepColumns(first, last);
            });
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &ShotDataPanel::sweepChanged);
    sweepChanged();
    fitSweepColumns(0, rows->rowCount() - 1);
}

void ShotDataPanel::addSection(QWidget* section)
{
    split->addWidget(section);
    split->setStretchFactor(split->indexOf(section), 1);
    section->installEventFilter(this);
}

void ShotDataPanel::makeRoomFor(QWidget* section)
{
    // The shot's numbers keep the room their rows need; a section that
    // comes takes the rest from the sections below them.
    int rows = view->horizontalHeader()->height() + 2 * view->frameWidth();
    for (int r = 0; r < view->rowCount(); ++r)
        if (!view->isRowHidden(r))
            rows += view->rowHeight(r);
    QList<int> sizes = split->sizes();
    const int total = std::accumulate(sizes.begin(), sizes.end(), 0);
    const int first = std::min(rows, total / 2);
    int shown = 0;
    for (int i = 1; i < split->count(); ++i)
        shown += split->widget(i)->isVisible() || split->widget(i) == section;
    for (int i = 0; i < split->count(); ++i)
        sizes[i] = i == 0 ? first
                          : (split->widget(i)->isVisible() || split->widget(i) == section
                                 ? (total - first) / std::max(shown, 1)
                                 : 0);
    split->setSizes(sizes);
}

void ShotDataPanel::fitSweepColumns(int first, int last)
{
    // Columns only widen while a sweep's rows come in, so that nothing moves
    // under the reader's eye; a new sweep starts from its titles. Of a batch
    // of rows some are measured, spread over it, with its first and last:
    // the numbers of a column are of one kind and length.
    const QAbstractItemModel* rows = sweepView->model();
    if (!rows)
        return;
    const QHeaderView* header = sweepView->horizontalHeader();
    const QFontMetrics cells = sweepView->fontMetrics();
    const int padding = cellPadding();
    const int step = std::max(1, (last - first) / 32);
    for (int c = 0; c < rows->columnCount(); ++c) {
        int width = last < first ? 0 : sweepView->columnWidth(c);
        width =
            std::max(width, headerWidth(header, rows->headerData(c, Qt::Horizontal).toString()));
        for (int r = first; r <= last; r = r == last ? last + 1 : std::min(r + step, last))
            width = std::max(width, cells.horizontalAdvance(rows->index(r, c).data().toString()) +
                                        padding);
        sweepView->setColumnWidth(c, width);
    }
}

void ShotDataPanel::sweepChanged()
{
    const QAbstractItemModel* rows = sweepView->model();
    const int n = rows ? rows->rowCount() : 0;
    sweepBox->setVisible(n > 0);
    QString title = n == 1 ? tr("Sweep: 1 shot") : tr("Sweep: %1 shots").arg(n);
    if (const auto* results = qobject_cast<const SweepResults*>(rows))
        title += tr(", %1 physics").arg(PhysicsChoice::displayName(results->physics()).toLower());
    sweepTitle->setText(title);
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
        text += QLatin1Char('\t') + columns[c].title;
    text += QLatin1Char('\n');
    for (int r = top; r <= bottom; ++r) {
        if (view->isRowHidden(r))
            continue;
        text += view->verticalHeaderItem(r)->data(Qt::UserRole).toString();
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

QSize ShotDataPanel::sizeHint() const
{
    const int labels = view->verticalHeader()->sizeHint().width();
    // A comparison's title, a file name, is longer than a number.
    return {2 * view->frameWidth() + labels + 3 * columnWidth(), QWidget::sizeHint().height()};
}

QSize ShotDataPanel::minimumSizeHint() const
{
    const int labels = view->verticalHeader()->sizeHint().width();
    return {2 * view->frameWidth() + labels + columnWidth(), QWidget::minimumSizeHint().height()};
}

QString ShotDataPanel::verdict(const SwingModel& model)
{
    return QString::fromStdString(quillmoor::shotVerdict(model));
}

bool ShotDataPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShowToParent && watched != view && watched != view->viewport())
        makeRoomFor(static_cast<QWidget*>(watched));
    if (watched == view->viewport() && event->type() == QEvent::Resize) {
        const auto* resize = static_cast<QResizeEvent*>(event);
        if (resize->size().width() != resize->oldSize().width())
            fitColumns();
    }
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
