#include "qtcatalogue.h"

#include <QCoreApplication>

// Qt's own folders lie outside an installation unpacked anywhere, so the
// release ships the catalogue in the program's folder, as it does the plugins.
QString qtCatalogueFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}
