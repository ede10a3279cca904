#pragma once

#include <QString>

// Qt's own Russian (qtbase_ru.qm) for what Qt shows by itself: file dialogs,
// box buttons, context menus. Replaces the one loaded before; where none is
// found, Qt keeps what it had (English at start) and the program runs all the
// same. Whether it was loaded.
bool loadQtRussian(const QString &folder);

// The folder Qt's catalogues are read from: the system's, or the program's own
// where a release ships them beside it.
QString qtCatalogueFolder();
