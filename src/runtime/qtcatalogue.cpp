#include "qtcatalogue.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <memory>

namespace {

// Installs the catalogue `name` of `folder` in the place of `installed`:
// searched before every one installed earlier.
bool install(QPointer<QTranslator> &installed, const QString &name, const QString &folder)
{
    // A translator that fails to load forgets what it had, so a new one tries.
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(name, folder))
        return false;
    delete installed; // which takes itself out of the application
    installed = translator.release();
    return QCoreApplication::installTranslator(installed);
}

} // namespace

bool loadQtRussian(const QString &folder)
{
    static QPointer<QTranslator> qt, own;
    const bool loaded = install(qt, QStringLiteral("qtbase_ru"), folder);
    install(own, QStringLiteral("kelvarine_ru"), QCoreApplication::applicationDirPath() + QStringLiteral("/translations"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return loaded;
}
