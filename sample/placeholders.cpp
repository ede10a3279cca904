// Writes a placeholder patch file for every catalogue entry into a folder.
// Real patches are never shipped: an untested patch can damage a phone, and a
// file of comments alone makes the flashing tool change nothing.
#include "catalogue/catalogue.h"
#include "runtime/programdirectory.h"
#include "runtime/textfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvarine_placeholders FOLDER\n");
        return 2;
    }
    setProgramDirectory(QString::fromLocal8Bit(argv[1]));
    for (const PatchCategory &category : patchCatalogue()) {
        for (int index = 0; index < int(category.entries.size()); ++index) {
            const QString path = PatchFilePath(category.category, index);
            const QString text =
                QStringLiteral("; Заглушка патча «%1» (%2).\r\n"
                               "; Замените её настоящим патчем для Siemens CX70, прошивка 50.\r\n"
                               "; Файл из одних комментариев ничего не меняет в телефоне.")
                    .arg(category.entries[index].toString(), QFileInfo(path).fileName());
            if (const Status failure = writeTextFile(path, text)) {
                std::fprintf(stderr, "%s\n", qPrintable(failure->message()));
                return 1;
            }
        }
    }
    return 0;
}
