// Arbitrary bytes as a patch file: appended to an empty text, handed over and
// read back, every line must come out byte for byte and the export must be
// the text plus CR LF.
#include "assembly/assembly.h"
#include "handover/handover.h"
#include "runtime/codepage.h"
#include "support/programfolder.h"
#include "support/reference.h"

#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const ProgramFolder folder;
    const QByteArrayView bytes(data, qsizetype(size));
    folder.write(QStringLiteral("f0.h"), bytes);

    PlainTextHolder holder;
    check(!AppendPatchFile(holder, Category::Fast, 0));
    const QString text = holder.text();
    check(!ExportPatchText(holder));
    check(holder.text() == text);

    const QByteArray exported = folder.read(QStringLiteral("tmp.vkp"));
    check(exported == referenceExport(bytes));
    QByteArray textBytes;
    check(!encodeCodePage(text, textBytes) && exported == textBytes + "\r\n");
    return 0;
}
