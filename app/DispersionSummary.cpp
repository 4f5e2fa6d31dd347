#include "DispersionSummary.h"

#include "DispersionRun.h"

#include <QLabel>
#include <QScrollArea>
#include <QTextDocument>
#include <QVBoxLayout>

using namespace quillmoor::lab;

namespace {

QString html(const std::string& text)
{
    return QString::fromStdString(text).toHtmlEscaped();
}

QString shareText(const Share& s)
{
    return html(percentText(s.value, 1) + " %");
}

QString intervalText(const Share& s)
{
    return html(percentText(s.low, 1) + "\u2013" + percentText(s.high, 1) + " %");
}

// A table with a heading row; the first column left, the others right.
class Table
{
public:
    explicit Table(const QStringList& headings)
    {
        text = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\"><tr>");
        for (const QString& h : headings)
            text += QStringLiteral("<th align=\"%1\" style=\"white-space: nowrap\">%2</th>")
                        .arg(text.endsWith(QLatin1String("<tr>")) ? "left" : "right", h);
        text += QStringLiteral("</tr>");
    }
    void row(const QStringList& cells)
    {
        text += QStringLiteral("<tr>");
        for (qsizetype i = 0; i < cells.size(); ++i)
            text += QStringLiteral("<td align=\"%1\" style=\"white-space: nowrap\">%2</td>")
                        .arg(i ? "right" : "left", cells[i]);
        text += QStringLiteral("</tr>");
    }
    QString end() const { return text + QStringLiteral("</table>"); }

private:
    QString text;
};

} // namespace

DispersionSummary::DispersionSummary(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dispersionSummary"));
    title = new QLabel(this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    words = new QLabel(this);
    words->setWordWrap(true);
    words->setTextFormat(Qt::RichText);
    words->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tables = new QLabel;
    tables->setObjectName(QStringLiteral("dispersionSummaryTables"));
    tables->setTextFormat(Qt::RichText);
    tables->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    tables->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(tables);
    scroll->setWidgetResizable(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(words);
    layout->addWidget(scroll, 1);
    hide();
}

QString DispersionSummary::plainText() const
{
    QTextDocument document;
    document.setHtml(title->text().toHtmlEscaped() + QStringLiteral("<br>") + words->text() +
                     tables->text());
    return document.toPlainText();
}

void DispersionSummary::setRun(const DispersionRun& run)
{
    const DispersionStats& stats = run.stats;
    const bool putt = stats.kind == quillmoor::ShotKind::Putt;
    const QString kind = putt ? tr("putts") : tr("tee shots");
    title->setText(
        stats.shots == run.setup.shots
            ? tr("Dispersion: %1 %2").arg(stats.shots).arg(kind)
            : tr("Dispersion: %1 of %2 %3").arg(stats.shots).arg(run.setup.shots).arg(kind));

    QString text = tr("Physics %1, seed %2; %3 run, %4 refused")
                       .arg(QString::fromLatin1(quillmoor::shotModeName(run.setup.mode)))
                       .arg(run.setup.seed)
                       .arg(stats.ran)
                       .arg(stats.shots - stats.ran);
    if (stats.ran == 0) {
        const QString why = stats.shots == 0
                                ? tr("Stopped before the first shot.")
                                : tr("No shot could be run: %1").arg(html(run.firstRefusal));
        words->setText(text + QStringLiteral("<p>") + why + QStringLiteral("</p>"));
        tables->clear();
        show();
        return;
    }
    words->setText(text + QStringLiteral("<p><b>%1.</b></p>").arg(html(run.verdict())));

    text.clear();
    Table numbers({tr("Number"), tr("Mean"), tr("SD")});
    for (const DispersionStats::Number& n : stats.numbers) {
        const quillmoor::ShotField& f = *n.field;
        const bool any = n.moments.count() > 0;
        numbers.row({QStringLiteral("%1 (%2)").arg(QString::fromUtf8(f.label), f.unit),
                     any ? html(quillmoor::fixedText(n.moments.mean(), f.decimals))
                         : QString::fromUtf8(quillmoor::kAbsentCell),
                     any ? html(quillmoor::fixedText(n.moments.sd(), f.decimals))
                         : QString::fromUtf8(quillmoor::kAbsentCell)});
    }
    text += numbers.end() + QStringLiteral("<br>");

    Table ends({tr("Ends"), tr("Share"), tr("95 % interval")});
    const std::pair<QString, std::size_t> shares[] = {
        {tr("On the green"), stats.onGreen},
        {tr("Within 10 ft"), stats.nearHole},
        {tr("Holed"), stats.holed},
    };
    for (const auto& [name, hits] : shares) {
        const Share s = wilsonShare(hits, stats.ran);
        ends.row({name, shareText(s), intervalText(s)});
    }
    text += ends.end() + QStringLiteral("<br>");

    Table ellipses({tr("Ellipse"), tr("Centre x, y<br>(yd)"), tr("Semi-axes<br>(yd)"),
                    tr("Orientation<br>(deg)")});
    const std::pair<QString, std::vector<Ellipse>> sets[] = {
        {tr("Landing"), putt ? std::vector<Ellipse>() : run.landingEllipses()},
        {tr("Final"), run.finishEllipses()},
    };
    for (const auto& [name, list] : sets) {
        for (const Ellipse& e : list)
            ellipses.row({QStringLiteral("%1 %2 %").arg(name).arg(e.probability * 100, 0, 'f', 0),
                          html(quillmoor::fixedText(e.x, 2) + ", " + quillmoor::fixedText(e.y, 2)),
                          html(quillmoor::fixedText(e.semiMajor, 2) + " \u00d7 " +
                               quillmoor::fixedText(e.semiMinor, 2)),
                          html(quillmoor::fixedText(e.orientation, 1))});
    }
    text += ellipses.end();
    tables->setText(text);
    show();
}

void DispersionSummary::clear()
{
    title->clear();
    words->clear();
    tables->clear();
    hide();
}
