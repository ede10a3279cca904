// Arbitrary bytes as a patch file: appended to an empty text, handed over and
// read back, every line must come out byte for byte and the export must be
// the text plus CR LF. Read as the flashing tool would, the appended text and
// the file's own text, lone CRs and all, give the same reading every time,
// whether plain records take the quick way or not, and a line it cannot read
// changes nothing of what is found after it. Matched against a made-up backup
// of the same bytes, the pieces a check reads tell what the whole backup
// tells. Whatever the file holds, everything that reads it says something:
// its description, its entry's state and words, the backup check's words.
#include "assembly/assembly.h"
#include "backup/backupfile.h"
#include "backup/flashmodel.h"
#include "backup/backupwords.h"
#include "entries/entrystate.h"
#include "handover/handover.h"
#include "patchformat/description.h"
#include "patchformat/findingwords.h"
#include "patchformat/header.h"
#include "patchformat/patchreader_p.h"
#include "patchformat/patchwarnings.h"
#include "runtime/codepage.h"
#include "support/programfolder.h"
#include "support/reference.h"

#include <QStringList>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Line {
    QStringView text;
    QStringView end; // CR LF, LF, a CR alone, or nothing at the end
};

// The text's lines as the reader and an append end them.
std::vector<Line> splitLines(QStringView text)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' && text[i] != u'\r')
            continue;
        const qsizetype endLength = text.sliced(i).startsWith(u"\r\n") ? 2 : 1;
        lines.push_back({text.sliced(start, i - start), text.sliced(i, endLength)});
        i += endLength - 1;
        start = i + 1;
    }
    lines.push_back({text.sliced(start), {}});
    return lines;
}

// Whether a line, as a reading of its own sees it, leaves nothing open at its
// end: no comment mark outside a text (a */ may close what an earlier line
// opened), none unescaped inside one, and no backslash joining the next line.
bool leavesNothingOpen(QStringView line)
{
    char16_t quote = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line[i].unicode(), next = i + 1 < line.size() ? line[i + 1].unicode() : 0;
        const bool mark = (c == '/' && (next == '*' || next == '/')) || (c == '*' && next == '/');
        if (c == '\\' && i + 1 == line.size())
            return false;
        if (quote) {
            if (mark)
                return false;
            if (c == '\\')
                ++i;
            else if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';' || (c == '/' && next == '/')
                   || (c == '#' && !line.sliced(i).startsWith(u"#pragma", Qt::CaseInsensitive))) {
            // Where the line begins inside a /* comment, a */ here closes it.
            return !line.sliced(i).contains(u"*/");
        } else if (mark) {
            return false;
        }
    }
    return true;
}

// What a reading finds after `line`, with positions as they stand before a
// text that is `shift` characters shorter.
QStringList foundAfter(const PatchReading &reading, int line, qsizetype shift)
{
    QStringList found;
    for (const PatchRecord &r : reading.records) {
        if (r.line > line) {
            found += QStringLiteral("%1 %2 %3 %4").arg(r.line).arg(r.address)
                         .arg(QString::fromLatin1(reading.newBytes(r).toByteArray().toHex()),
                              QString::fromLatin1(reading.oldBytes(r).toByteArray().toHex()));
        }
    }
    for (const Finding &f : reading.findings) {
        if (f.line > line)
            found += QStringLiteral("%1 %2 %3 %4 %5").arg(int(f.kind)).arg(f.line).arg(f.column).arg(f.at + shift).arg(f.length);
    }
    found += QStringLiteral("%1 %2").arg(reading.offset).arg(reading.offsetLine);
    for (int i = 0; i < pragmaCount; ++i)
        found += QStringLiteral("%1 %2").arg(reading.pragmaOn[i]).arg(reading.pragmaLine[i]);
    return found;
}

// Each of the first few lines the tool cannot read, blanked: nothing after it changes.
void checkUnreadableLinesStandAlone(const QString &text, const PatchReading &reading)
{
    const std::vector<Line> lines = splitLines(text);
    int checked = 0;
    for (const Finding &f : reading.findings) {
        const std::size_t at = std::size_t(f.line - 1);
        const bool joined = at > 0 && lines[at - 1].text.endsWith(u'\\');
        if (severity(f.kind) != Severity::Unreadable || joined || !leavesNothingOpen(lines[at].text) || ++checked > 4)
            continue;
        // A blank rather than nothing: a CR alone before it and its LF would
        // otherwise make one line end.
        QString emptied;
        for (std::size_t i = 0; i < lines.size(); ++i)
            emptied += (i == at ? QStringView(u" ") : lines[i].text).toString() + lines[i].end.toString();
        const qsizetype shift = lines[at].text.size() - 1;
        check(foundAfter(readPatchText(emptied), f.line, shift) == foundAfter(reading, f.line, 0));
    }
}

// One reading of `text`, checked every way the program reads it.
PatchReading checkReading(const QString &text)
{
    const PatchReading reading = readPatchText(text);
    check(reading == readPatchTextInFull(text));
    check(readPatchText(text, RecordBytes::Counted) == readPatchTextInFull(text, RecordBytes::Counted));
    check(handoverWarning(text, reading) == handoverWarning(text, readPatchText(text)));
    const qsizetype lines = qsizetype(splitLines(text).size());
    for (const Finding &finding : reading.findings) {
        check(finding.line >= 1 && finding.line <= lines && finding.column >= 1 && finding.length >= 0);
        check(finding.at + finding.length <= text.size() && !findingWords(finding, text).isEmpty());
    }
    checkUnreadableLinesStandAlone(text, reading);
    const QStringList description = patchDescription(text);
    check(description.size() <= descriptionLines);
    for (const QString &line : description)
        check(line.size() <= descriptionLineLength);
    return reading;
}

// The file as an entry of the list: its state against a backup, and what it
// says of itself, in words.
void checkEntry(const ProgramFolder &folder)
{
    static const Backup backup = [&] {
        QByteArray flash(smallestBackup, Qt::Uninitialized);
        for (qsizetype i = 0; i < flash.size(); ++i)
            flash[i] = char(i * 7);
        folder.write(QStringLiteral("../full.bin"), flash);
        Backup chosen;
        check(!chooseBackup(folder.file(QStringLiteral("../full.bin")), chosen));
        return chosen;
    }();
    // The file as an entry of the twenty and as a patch of a folder.
    const QString path = PatchFilePath(Category::Fast, 0);
    for (const Look look : {Look::Start, Look::Whole}) {
        Status failure;
        const std::vector<EntryState> states = lookAtFiles(std::span(&path, 1), look, backup, failure);
        check(!failure && states.size() == 1 && states.front().file == EntryState::File::Present);
        check(states.front().againstBackup.has_value() && !entryAbout(states.front(), Listed::Folder).isEmpty());
    }
    const std::optional<QString> notPatch = notPatchTextReason(path);
    check(!notPatch || !notPatch->isEmpty());
}

// The input as a backup: whole, and as the pieces a check would read of it.
void checkAgainstMadeUpBackup(const PatchReading &reading, QByteArrayView bytes)
{
    BackupImage whole(bytes.size());
    whole.add(0, bytes.toByteArray());
    const PatchReading *readings[] = {&reading};
    BackupImage pieces(bytes.size());
    for (const FileRange &range : rangesToRead(readings, bytes.size()))
        pieces.add(range.at, bytes.sliced(range.at, range.length).toByteArray());
    const PatchMatch match = matchPatch(reading, whole);
    check(match.records == matchPatch(reading, pieces).records);
    check(match.records.size() == reading.records.size());
    check(!match.atFault || *match.atFault < reading.records.size());
    check(!patchStateWords(reading, match, whole, QStringLiteral("«f»")).isEmpty());
    for (const WarningItem &item : backupWarnings(reading, match, whole, QStringLiteral("«f»")))
        check(!item.text.isEmpty());
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
    check(!ExportPatchText(holder.text()));
    check(holder.text() == text);

    const QByteArray exported = folder.read(QStringLiteral("tmp.vkp"));
    check(exported == referenceExport(bytes));
    QByteArray textBytes;
    check(!encodeCodePage(text, textBytes) && exported == textBytes + "\r\n");

    const PatchReading reading = checkReading(text);
    checkReading(decodeCodePage(bytes));
    checkAgainstMadeUpBackup(reading, bytes);
    const PatchHeader header = patchHeader(patchDescription(fileLines(text)));
    check(!header.target || !header.target->text().isEmpty());
    check(headersInText(text).size() <= std::size_t(text.count(u'\n')));
    appendWarning(readPatchText(fileLines(text)), header, QStringLiteral("f0.h"));
    checkEntry(folder);
    return 0;
}
