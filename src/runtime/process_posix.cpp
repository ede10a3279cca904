#include "process.h"

#include <QFileInfo>
#include <QProcess>

std::optional<QString> prepareScript(QProcess &process, const QFileInfo &script)
{
    // The path is one argument of the interpreter, never text for a shell to
    // parse, so no character of the folder's name can run anything.
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({script.filePath()});
    process.setWorkingDirectory(script.absolutePath());
    return std::nullopt;
}
