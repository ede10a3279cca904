#include "patchentryitem.h"

#include "patchformat/description.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QTextDocument>

PatchEntryItem::PatchEntryItem(const QString &caption, Category category, int index)
    : QListWidgetItem(caption)
    , m_category(category)
    , m_index(index)
{
}

QVariant PatchEntryItem::data(int role) const
{
    // Patch comments are plain text, whatever tags they hold.
    if (role == Qt::ToolTipRole)
        return Qt::convertFromPlainText(about(), Qt::WhiteSpaceNoWrap);
    if (role == Qt::AccessibleDescriptionRole)
        return about();
    return QListWidgetItem::data(role);
}

void PatchEntryItem::checkFile()
{
    m_missing = !QFileInfo(PatchFilePath(m_category, m_index)).isFile();
    const QListWidget *list = listWidget();
    setData(Qt::ForegroundRole, m_missing && list ? list->palette().brush(QPalette::Disabled, QPalette::Text) : QVariant());
}

QString PatchEntryItem::about() const
{
    const QFileInfo file(PatchFilePath(m_category, m_index));
    if (m_missing) {
        return QStringLiteral("Файла %1 нет в папке программы\n%2\nПоложите его туда, и патч можно будет добавить.")
            .arg(file.fileName(), QDir::toNativeSeparators(file.path()));
    }
    QStringList lines;
    if (const Status failure = readPatchDescription(file.filePath(), lines))
        return QStringLiteral("Не удалось прочитать %1: %2.").arg(file.fileName(), failure->reason);
    return lines.isEmpty() ? file.fileName() : lines.join(u'\n');
}
