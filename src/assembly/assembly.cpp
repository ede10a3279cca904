#include "assembly.h"

#include "runtime/codepage.h"
#include "runtime/textfile.h"

#include <algorithm>
#include <cstring>

Status AppendPatchFile(PatchTextHolder &holder, Category category, int index, qint64 maxBytes, QString *added)
{
    return AppendPatchFile(holder, PatchFilePath(category, index), maxBytes, added);
}

Status AppendPatchFile(PatchTextHolder &holder, const QString &path, qint64 maxBytes, QString *added)
{
    QByteArray file;
    if (Status failure = readFile(path, maxBytes, file)) {
        failure->summary = QStringLiteral("Не удалось добавить патч.");
        return failure;
    }
    // Whole file first, then one change: nothing is ever half-appended.
    const QString text = appendedText(std::move(file));
    holder.append(text);
    if (added)
        *added = text;
    return std::nullopt;
}

QString appendedText(QByteArray file)
{
    // CR and LF are the same bytes in the code page, so the lines are laid out
    // before decoding, and only the block is ever held as text.
    const QByteArray block = patchBlock(file);
    file.clear();
    return decodeCodePage(block);
}

void ClearPatchText(PatchTextHolder &holder)
{
    holder.setText(QString());
}

QByteArray patchBlock(QByteArrayView file)
{
    // LF-only files grow by one byte a line; this covers most of them. Lines
    // are copied through a pointer of our own: QByteArray::append() per line
    // took twice as long as the copying itself.
    QByteArray block(file.size() + file.size() / 32 + 4, Qt::Uninitialized);
    char *out = block.data();
    char *limit = out + block.size();
    const auto addLine = [&](const char *from, const char *to) {
        const qsizetype length = to - from;
        if (limit - out < length + 2) {
            const qsizetype done = out - block.data();
            block.resize(std::max(2 * block.size(), done + length + 2));
            out = block.data() + done;
            limit = block.data() + block.size();
        }
        std::memcpy(out, from, std::size_t(length));
        out[length] = '\r';
        out[length + 1] = '\n';
        out += length + 2;
    };
    *out++ = '\r';
    *out++ = '\n';
    const char *p = file.begin();
    const char *const end = file.end();
    while (p != end) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', end - p));
        if (!lf)
            lf = end;
        // A CR ends a line of its own, unless it is the CR of CR LF or the last byte.
        const char *cr;
        while ((cr = static_cast<const char *>(std::memchr(p, '\r', lf - p))) && cr + 1 != lf) {
            addLine(p, cr);
            p = cr + 1;
        }
        addLine(p, cr ? cr : lf);
        p = lf == end ? end : lf + 1;
    }
    block.truncate(out - block.data());
    return block;
}
