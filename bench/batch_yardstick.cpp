// The least a batch run of Parview can cost besides its two simulator runs:
// a bare Qt Widgets program that starts offscreen, renders an empty widget of
// the views' size three times and saves each as a PNG. scripts/bench-batch.sh
// times Parview's batch mode against it.
//
// Usage: batch_yardstick [WIDTH HEIGHT] (default: the views' size in the
// default window); writes yard1.png, yard2.png and yard3.png here.

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int width = 727, height = 710;
    if (argc == 3) {
        width = std::atoi(argv[1]);
        height = std::atoi(argv[2]);
    }
    if (width <= 0 || height <= 0 || (argc != 1 && argc != 3)) {
        std::fprintf(stderr, "usage: batch_yardstick [WIDTH HEIGHT]\n");
        return 2;
    }

    QWidget widget;
    widget.resize(width, height);
    for (int i = 1; i <= 3; ++i) {
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        widget.render(&image);
        if (!image.save(QStringLiteral("yard%1.png").arg(i))) {
            std::fprintf(stderr, "batch_yardstick: cannot write yard%d.png\n", i);
            return 1;
        }
    }
    return 0;
}
