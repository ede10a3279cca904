#include "handover.h"

#include "runtime/process.h"
#include "runtime/programdirectory.h"
#include "runtime/textfile.h"

Status ExportPatchText(QStringView text)
{
    if (Status failure = writeTextFile(programFile(QStringLiteral("tmp.vkp")), text)) {
        failure->summary = QStringLiteral("Не удалось передать патч прошивальщику.");
        return failure;
    }
    return std::nullopt;
}

Status LaunchFlasherScript()
{
    return startScriptDetached(programFile(QStringLiteral("shell.bat")));
}
