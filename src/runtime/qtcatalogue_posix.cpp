#include "qtcatalogue.h"

#include <QLibraryInfo>

// The system's Qt has its catalogues in a folder of its own (Debian's package
// qt6-translations-l10n).
QString qtCatalogueFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}
