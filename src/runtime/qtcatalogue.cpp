#include "qtcatalogue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTranslator>
#include <memory>

bool loadQtRussian(const QString &folder)
{
    static QPointer<QTranslator> installed;
    // A translator that fails to load forgets what it had, so a new one tries.
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ru"), folder))
        return false;
    delete installed; // which takes itself out of the application
    installed = translator.release();
    return QCoreApplication::installTranslator(installed);
}
