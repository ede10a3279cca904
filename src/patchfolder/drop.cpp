#include "drop.h"

#include "entries/entrystate.h"
#include "patchfolder.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

QString quotedName(const QString &path)
{
    return QStringLiteral("«%1»").arg(QFileInfo(path).fileName());
}

} // namespace

DropPlan planDrop(const QStringList &paths)
{
    QStringList sorted = paths;
    std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
        return namedBefore(QFileInfo(a).fileName(), QFileInfo(b).fileName());
    });
    DropPlan plan;
    struct Other {
        QString path;
        QString notPatch;
    };
    std::vector<Other> others;
    for (const QString &path : sorted) {
        if (QFileInfo(path).isDir()) {
            if (!plan.folder)
                plan.folder = path;
            else
                plan.notes += QStringLiteral("Папка %1 не открыта: открывается одна папка за раз.").arg(quotedName(path));
        } else if (const std::optional<QString> notPatch = notPatchTextReason(path)) {
            others.push_back({path, *notPatch});
        } else {
            plan.patches.push_back(path);
        }
    }

    std::vector<Backup> backups;
    for (const Other &other : others) {
        Backup backup;
        Status failure = chooseBackup(other.path, backup);
        if (!failure) {
            backups.push_back(backup);
            continue;
        }
        const QString notPatch = failure->reason == other.notPatch ? QString() : other.notPatch;
        if (paths.size() == 1) {
            if (!notPatch.isEmpty())
                failure->reason += QStringLiteral("; и это не патч: %1, так что ничего не добавлено").arg(notPatch);
            plan.refused = failure;
        } else {
            plan.notes += QStringLiteral("%1 не добавлен и не взят копией прошивки: %2%3.")
                              .arg(quotedName(other.path), notPatch.isEmpty() ? QString() : notPatch + QStringLiteral("; "),
                                   failure->reason);
        }
    }
    if (backups.size() == 1) {
        plan.backup = backups.front();
    } else if (backups.size() > 1) {
        QStringList names;
        for (const Backup &backup : backups)
            names += quotedName(backup.path);
        plan.notes += QStringLiteral("Копия прошивки не выбрана: перетащено сразу несколько (%1). Перетащите одну.")
                          .arg(names.join(QStringLiteral(", ")));
    }
    return plan;
}
