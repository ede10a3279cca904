#include "assembly.h"

#include "runtime/textfile.h"

Status AppendPatchFile(PatchTextHolder &holder, Category category, int index)
{
    const QString path = PatchFilePath(category, index);
    QString content;
    if (Status failure = readTextFile(path, maxPatchFileBytes, content)) {
        failure->summary = QStringLiteral("Не удалось добавить патч.");
        return failure;
    }
    // Whole file first, then one change: nothing is ever half-appended.
    holder.append(patchBlock(content));
    return std::nullopt;
}

void ClearPatchText(PatchTextHolder &holder)
{
    holder.setText(QString());
}

QString patchBlock(QStringView content)
{
    static constexpr QStringView lineEnd = u"\r\n";
    QString block;
    // LF-only files grow by one character a line; this covers most of them.
    block.reserve(content.size() + content.size() / 32 + 2 * lineEnd.size());
    block += lineEnd;
    const QChar *p = content.begin();
    const QChar *const end = content.end();
    while (p != end) {
        const QChar *const lineStart = p;
        while (p != end && *p != u'\r' && *p != u'\n')
            ++p;
        block.append(lineStart, p - lineStart);
        block += lineEnd;
        if (p != end)
            p += (*p == u'\r' && p + 1 != end && p[1] == u'\n') ? 2 : 1;
    }
    return block;
}
