// Arbitrary bytes as a patch file: appended to an empty text, handed over and
// read back, every line must come out byte for byte and the export must be
// the text plus CR LF.
#include "assembly/assembly.h"
#include "handover/handover.h"
#include "runtime/codepage.h"
#include "runtime/programdirectory.h"
#include "support/reference.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    static const bool pointed = (setProgramDirectory(folder.path()), true);
    (void)pointed;

    const QByteArrayView bytes(data, qsizetype(size));
    QFile patch(PatchFilePath(Category::Fast, 0));
    check(patch.open(QIODevice::WriteOnly) && patch.write(bytes.data(), bytes.size()) == bytes.size());
    patch.close();

    PlainTextHolder holder;
    check(!AppendPatchFile(holder, Category::Fast, 0));
    const QString text = holder.text();
    check(!ExportPatchText(holder));
    check(holder.text() == text);

    const QByteArray exported = readAll(programFile(QStringLiteral("tmp.vkp")));
    check(exported == referenceExport(bytes));
    QByteArray textBytes;
    check(!encodeCodePage(text, textBytes) && exported == textBytes + "\r\n");
    return 0;
}
