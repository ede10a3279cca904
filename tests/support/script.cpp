#include "script.h"

#include <QDir>

#ifdef Q_OS_WIN
QByteArray markerScript()
{
    // No %VAR% of ours holds the folder's name: the script must not run it either.
    return "@echo off\r\n"
           "set /a count=0\r\n"
           "for %%a in (%*) do set /a count+=1\r\n"
           ">started.tmp echo %count%\r\n"
           "move /y started.tmp started >nul\r\n"
           "set /a tries=0\r\n"
           ":wait\r\n"
           "if exist stop goto end\r\n"
           "set /a tries+=1\r\n"
           "if %tries% geq 300 goto end\r\n"
           "ping -n 1 -w 100 127.0.0.1 >nul\r\n"
           "goto wait\r\n"
           ":end\r\n"
           ">done.tmp echo done\r\n"
           "move /y done.tmp done >nul\r\n";
}

QString hostileFolderName()
{
    return QStringLiteral("Прог a b ^& ! (100%) %PATH% 'p' & mkdir pwned & x");
}
#else
QByteArray markerScript()
{
    return "echo $# > started.tmp && mv started.tmp started\n"
           "tries=0\n"
           "while [ ! -e stop ] && [ $tries -lt 300 ]; do sleep 0.1; tries=$((tries + 1)); done\n"
           "echo done > done.tmp && mv done.tmp done\n";
}

QString hostileFolderName()
{
    return QStringLiteral("Прог a b \"q\" 'p' ; $(mkdir pwned) `mkdir pwned` & %PATH%\nстрока два");
}
#endif

bool pwnedIn(const QString &folder)
{
    return QFileInfo::exists(QDir(folder).filePath(QStringLiteral("pwned")));
}
