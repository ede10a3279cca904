#include "madeup.h"

#include "runtime/codepage.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>

namespace {

QByteArray cp1251(const QString &text)
{
    QByteArray bytes;
    if (encodeCodePage(text, bytes))
        qFatal("not in Windows-1251: %s", qPrintable(text));
    return bytes;
}

// How many records the `i`th patch has: half of them four at most, nine in
// ten 250 at most, the largest `most`.
int recordsOf(int i, int most)
{
    if (i == 1)
        return most;
    const double f = std::fmod(i * 0.6180339887, 1.0);
    double records;
    if (f < 0.5)
        records = 1 + 6 * f;
    else if (f < 0.9)
        records = 4 * std::pow(250.0 / 4, (f - 0.5) / 0.4);
    else
        records = 250 * std::pow(6200.0 / 250, std::pow((f - 0.9) / 0.1, 2));
    return std::clamp(int(records), 1, most);
}

QByteArray header(int number, const QString &name, int i)
{
    QString text = QStringLiteral(";CX70v50\r\n;%1\r\n;Made up %2\r\n;(c) Автор %3\r\n").arg(name).arg(number).arg(i % 7);
    if (i % 3 == 0)
        text += QStringLiteral(";(r) Кто-то\r\n;(p) Сборник\r\n");
    text += i % 4 ? QStringLiteral(";Version: \r\n") : QStringLiteral(";Version: 1.%1\r\n").arg(i % 10);
    // A few have an empty line inside, before their number.
    if (i % 80 == 5)
        text += QStringLiteral("\r\n");
    text += QStringLiteral(";PatchID: %1\r\n;Details: https://example.org/patch/%1\r\n").arg(number);
    if (i % 4)
        text += QStringLiteral("/*\r\nЧто делает патч %1: здесь автор описывает его в нескольких строках,\r\n"
                               "что меняется на экране и в меню телефона, с чем он не дружит\r\n"
                               "и как им пользоваться после прошивки.\r\n*/\r\n").arg(number);
    return cp1251(text);
}

const char *const endLine = ";------------------------- end -------------------------\r\n";

} // namespace

std::vector<MadeUpPatch> madeUpPatches(int count, qint64 flashBytes, int records)
{
    std::vector<MadeUpPatch> patches(std::size_t(std::max(count, 0)));
    // Each patch its own stretch of the flash; every 40th writes into the
    // one before, as two patches that add code in free space do.
    const quint32 stretch = quint32(std::max<qint64>(2 * records + 64, flashBytes / std::max(count, 1)) & ~qint64(1));
    const auto address = [stretch](int i) { return QString::number(quint32(i) * stretch, 16).toUpper().rightJustified(7, u'0'); };
    for (int i = 0; i < count; ++i) {
        MadeUpPatch &p = patches[std::size_t(i)];
        const int number = 100 + 7 * i;
        p.number = QString::number(number);
        p.name = QStringLiteral("Патч %1").arg(number);
        p.fileName = QStringLiteral("%1-Made_up_%1.vkp").arg(number);
        p.bytes = header(number, p.name, i);
        // Six in 238 write nothing as they stand, two of each kind.
        if (i % 120 == 17)
            p.kind = MadeUpPatch::Kind::ChoicesCommentedOut;
        else if (i % 120 == 33)
            p.kind = MadeUpPatch::Kind::ValuesToFill;
        else if (i % 120 == 57)
            p.kind = MadeUpPatch::Kind::Attachment;
        switch (p.kind) {
        case MadeUpPatch::Kind::ChoicesCommentedOut:
            p.bytes += cp1251(QStringLiteral("; Снимите ; с одной строки:\r\n;%1: 00 01 ;первый\r\n;%1: 00 02 ;второй\r\n").arg(address(i)));
            break;
        case MadeUpPatch::Kind::ValuesToFill:
            p.bytes += cp1251(QStringLiteral("; nn — номер мелодии\r\n%1: 23232300 nnNNnnNN\r\n").arg(address(i)));
            break;
        case MadeUpPatch::Kind::Attachment:
            p.bytes += cp1251(QStringLiteral(";!к патчу прикреплён файл, https://example.org/files/%1.zip\r\n; Всё в архиве.\r\n").arg(number));
            break;
        default: {
            const quint32 first = i % 40 == 39 ? quint32(i - 1) * stretch + 2 : quint32(i) * stretch;
            for (int r = 0; r < recordsOf(i, records); ++r) {
                const MadeUpRecord record{first + 2 * quint32(r), char(0x10 + r % 0x60), char(0x80 + (i + r) % 0x70)};
                if (record.address + 1 >= flashBytes)
                    break;
                p.records.push_back(record);
            }
            // Some chain their records, as real patches do: a byte written
            // again, expecting what the first record left, or written back.
            if (i % 5 == 3 && !p.records.empty())
                p.records.push_back({p.records.front().address, p.records.front().now, char(p.records.front().now ^ 0x5A)});
            if (i % 5 == 4 && p.records.size() > 1)
                p.records.push_back({p.records.front().address, p.records.front().now, p.records.front().old});
            for (const MadeUpRecord &record : p.records) {
                char line[32];
                p.bytes += QByteArrayView(line, qsnprintf(line, sizeof line, "%07X: %02X %02X\r\n", record.address,
                                                          uchar(record.old), uchar(record.now)));
            }
        }
        }
        p.bytes += endLine;
    }
    // A few bundles repeat three patches before them, headers and all.
    for (int i = 50; i < count; i += 80) {
        MadeUpPatch &bundle = patches[std::size_t(i)];
        bundle.kind = MadeUpPatch::Kind::Bundle;
        bundle.records.clear();
        bundle.bytes = header(100 + 7 * i, bundle.name, i);
        for (int j = i - 3; j < i; ++j) {
            bundle.bytes += patches[std::size_t(j)].bytes;
            bundle.records.insert(bundle.records.end(), patches[std::size_t(j)].records.begin(), patches[std::size_t(j)].records.end());
        }
    }
    return patches;
}

int writeMadeUp(const QString &folder, const std::vector<MadeUpPatch> &patches)
{
    QDir().mkpath(folder);
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
    };
    for (const MadeUpPatch &p : patches)
        write(p.fileName, p.bytes);
    write(QStringLiteral("101-Made_up_101-files.zip"), QByteArray("PK\3\4\0\0", 6).repeated(50));
    write(QStringLiteral("screenshot.png"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    write(QStringLiteral("empty.vkp"), {});
    write(QStringLiteral("download.vkp"), "<html><body>File not found</body></html>\r\n");
    return int(patches.size()) + 4;
}

QByteArray patternFlash(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(0x80 | (i % 61));
    bytes.replace(0x100, 4, QByteArray::fromHex("10203040"));
    bytes.replace(0x200, 2, QByteArray::fromHex("5E5E"));
    bytes.replace(0x300, 2, QByteArray::fromHex("FFFF"));
    return bytes;
}

QByteArray madeUpFlash(const std::vector<MadeUpPatch> &patches, qint64 size, const std::vector<int> &applied)
{
    QByteArray flash(size, '\xFF');
    // What a patch finds is what the first of its records to touch a byte expects.
    for (const MadeUpPatch &p : patches) {
        for (auto r = p.records.rbegin(); r != p.records.rend(); ++r)
            flash[r->address] = r->old;
    }
    for (const int i : applied) {
        for (const MadeUpRecord &r : patches[std::size_t(i)].records)
            flash[r.address] = r.now;
    }
    return flash;
}
