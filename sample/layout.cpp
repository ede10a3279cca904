// Lays out the sample installation in a folder: a placeholder for every
// catalogue entry and the platform's shell.bat, each only where the folder
// has none yet, so real patches and a user's own script are never replaced.
// Real patches are never shipped: an untested patch can damage a phone, and a
// file of comments alone makes the flashing tool change nothing.
#include "catalogue/catalogue.h"
#include "runtime/programdirectory.h"
#include "runtime/textfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

bool fail(const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return false;
}

bool layOutPlaceholders()
{
    for (const PatchCategory &category : patchCatalogue()) {
        for (int index = 0; index < int(category.entries.size()); ++index) {
            const QString path = PatchFilePath(category.category, index);
            if (QFileInfo::exists(path))
                continue;
            const QString text =
                QStringLiteral("; Заглушка патча «%1» (%2).\r\n"
                               "; Замените её настоящим патчем для Siemens CX70, прошивка 50.\r\n"
                               "; Файл из одних комментариев ничего не меняет в телефоне.")
                    .arg(category.entries[index].toString(), QFileInfo(path).fileName());
            if (const Status failure = writeTextFile(path, text))
                return fail(failure->message());
        }
    }
    return true;
}

bool layOutScript(const QString &sample)
{
    const QString path = programFile(QStringLiteral("shell.bat"));
    if (QFileInfo::exists(path) || QFile::copy(sample, path))
        return true;
    return fail(QStringLiteral("cannot copy %1 to %2").arg(sample, path));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: kelvarine_sample FOLDER SHELL_BAT\n");
        return 2;
    }
    setProgramDirectory(arguments[1]);
    return layOutPlaceholders() && layOutScript(arguments[2]) ? 0 : 1;
}
