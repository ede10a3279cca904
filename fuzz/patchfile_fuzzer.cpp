// Arbitrary bytes as a patch file: appended to an empty text, handed over and
// read back, every line must come out byte for byte and the export must be
// the text plus CR LF. Read as the flashing tool would, the text gives the
// same findings every time.
#include "assembly/assembly.h"
#include "handover/handover.h"
#include "patchformat/patchwarnings.h"
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

    const PatchReading reading = readPatchText(text);
    check(reading == readPatchText(text));
    check(handoverWarning(reading) == handoverWarning(readPatchText(text)));
    const qsizetype lines = text.count(u'\n') + 1;
    for (const UnreadableLine &line : reading.unreadable)
        check(line.line >= 1 && line.line <= lines && !line.reason.isEmpty());
    appendWarning(readPatchText(QStringView(text).sliced(2)), QStringLiteral("f0.h"));
    return 0;
}
