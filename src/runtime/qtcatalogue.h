#pragma once

#include <QString>

// Qt's own Russian (qtbase_ru.qm) for what Qt shows by itself: file dialogs,
// box buttons, context menus. Replaces the one loaded before; where none is
// found, Qt keeps what it had (English at start) and the program runs all the
// same. Whether it was loaded. Over it, each time, the program's own
// catalogue of what Qt's lacks (kelvarine_ru.qm, from translations/ beside
// the program), and Russian as the locale of what Qt words by its locale
// rather than its catalogue (the types of files in its dialogs).
bool loadQtRussian(const QString &folder);

// The folder Qt's catalogues are read from: the system's, or the program's own
// where a release ships them beside it.
QString qtCatalogueFolder();
