// Entry point of app_tests: widgets need a QApplication before any test runs.

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Test discovery runs this binary at build time, outside CTest's
    // environment; without a display it must still start.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // What the window remembers goes to a scratch directory, never to the
    // user's own settings.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
    // The data directory (bags of clubs) lies under the home directory, test
    // mode or not.
    qputenv("HOME", QFile::encodeName(scratch.path()));

    // The offscreen screen is 800 x 600 unless told otherwise; the window is
    // made for a screen of at least 1280 x 800.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        QFile config(scratch.filePath("screen.json"));
        if (!config.open(QIODevice::WriteOnly))
            return 1;
        config.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0,)"
                     R"( "width": 1280, "height": 800}]})");
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    }

    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Parview tests"));
    return RUN_ALL_TESTS();
}
