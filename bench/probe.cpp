#include "probe.h"

#include "shown.h"
#include "support/offscreen.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>
#include <cstdio>
#include <sys/resource.h>

int runProbe(int argc, char **argv, const std::function<std::unique_ptr<QWidget>()> &make,
             const std::function<bool(QWidget &window, const QString &patchFile)> &hold)
{
    preferOffscreen();
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool holding = arguments.size() == 3 && arguments[1] == u"--hold";
    if (arguments.size() != 1 && !holding) {
        std::fprintf(stderr, "usage: %s [--hold FILE]\n", qPrintable(QFileInfo(arguments[0]).fileName()));
        return 2;
    }

    const std::unique_ptr<QWidget> window = make();
    if (!showUntilExposed(*window))
        return 1;
    if (holding) {
        if (!hold(*window, arguments[2]))
            return 1;
        QCoreApplication::processEvents();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak_rss_kib %ld\n", usage.ru_maxrss);
    return 0;
}
