#pragma once
// A dispersion's summary in the "Shot data" panel, in the words and with
// the numbers of `Shotlab dispersion`'s table: the verdict, the mean and SD
// of the numbers, how often the shots end on the green, within 10 ft and
// in the hole with their 95 % intervals, and the ellipses of the points.
// Hidden while there is no run to show. The text can be selected and copied.

#include <QWidget>

class QLabel;
struct DispersionRun;

class DispersionSummary : public QWidget
{
    Q_OBJECT

public:
    explicit DispersionSummary(QWidget* parent = nullptr);

    // The summary as plain text, as it reads.
    QString plainText() const;

public slots:
    void setRun(const DispersionRun& run);
    void clear();

private:
    QLabel* title = nullptr;
    QLabel* words = nullptr;  // the setup and the verdict, wrapped to the panel's width
    QLabel* tables = nullptr; // which scroll when the panel is narrower
};
