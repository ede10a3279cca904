#include "probe.h"

#include <QFileInfo>
#include <cstdio>
#include <sys/resource.h>

bool readProbeArguments(const QStringList &arguments, QString &heldFile)
{
    if (arguments.size() == 1)
        return true;
    if (arguments.size() == 3 && arguments[1] == u"--hold") {
        heldFile = arguments[2];
        return true;
    }
    std::fprintf(stderr, "usage: %s [--hold FILE]\n", qPrintable(QFileInfo(arguments[0]).fileName()));
    return false;
}

void reportPeakMemory()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak_rss_kib %ld\n", usage.ru_maxrss);
}
