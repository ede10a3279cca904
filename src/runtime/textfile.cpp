#include "textfile.h"

#include "codepage.h"
#include "sizewords.h"
#include "textfile_p.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QThread>

QString withDetail(const QString &reason, const QString &detail)
{
    return detail.isEmpty() ? reason : QStringLiteral("%1 (%2)").arg(reason, detail);
}

QString deviceReason(const QFileDevice &file)
{
    const QString detail = file.errorString();
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        return withDetail(noPermissionReason(), detail);
    case QFileDevice::ResourceError:
        return withDetail(QStringLiteral("не хватает места на диске или других ресурсов"), detail);
    case QFileDevice::ReadError:
        return withDetail(QStringLiteral("ошибка чтения"), detail);
    case QFileDevice::WriteError:
        return withDetail(QStringLiteral("ошибка записи"), detail);
    case QFileDevice::RenameError:
    case QFileDevice::CopyError:
        return withDetail(QStringLiteral("не удалось заменить прежний файл"), detail);
    default:
        return withDetail(notOpenedReason(), detail);
    }
}

Failure readFailure(const QString &path, const QString &reason)
{
    return {QStringLiteral("Не удалось прочитать файл."), path, reason};
}

std::optional<QString> notRegularReason(const QFileInfo &info)
{
    if (info.isSymLink() && !info.exists())
        return linkLoopReason();
    if (!info.exists())
        return missingFileReason();
    if (info.isDir())
        return directoryReason();
    if (!info.isFile())
        return notRegularFileReason();
    return std::nullopt;
}

// The name tells the common mistakes apart; the open then makes sure of what
// is read, whatever took the file's place meanwhile.
std::optional<QString> openToRead(QFile &file)
{
    if (auto reason = notRegularReason(QFileInfo(file.fileName())))
        return reason;
    return openRegularFile(file);
}

namespace {

QString tooLargeReason(qint64 maxBytes)
{
    constexpr qint64 mebibyte = 1024 * 1024;
    if (maxBytes >= mebibyte && maxBytes % mebibyte == 0)
        return QStringLiteral("файл больше %1 МиБ").arg(maxBytes / mebibyte);
    return QStringLiteral("файл больше %1 Б").arg(maxBytes);
}

// QSaveFile reports a folder it may not write in as a plain open error, so the
// reason is asked of the folder and the file themselves.
QString saveReason(const QSaveFile &file)
{
    const QFileInfo info(file.fileName());
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("папка не найдена");
    if (auto reason = folderWriteReason(folder))
        return withDetail(*reason, file.errorString());
    if (info.exists() && !info.isWritable())
        return QStringLiteral("нет прав на запись в файл");
    return deviceReason(file);
}

// Opens a file that readFile may read whole, or says why not.
std::optional<QString> openWhole(QFile &file, qint64 maxBytes)
{
    if (auto reason = openToRead(file))
        return reason;
    if (file.size() > maxBytes)
        return tooLargeReason(maxBytes);
    return std::nullopt;
}

QString characterName(QStringView text, qsizetype at)
{
    qsizetype length = 1;
    char32_t code = text[at].unicode();
    if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
        length = 2;
        code = QChar::surrogateToUcs4(text[at], text[at + 1]);
    }
    const QString hex = QString::number(uint(code), 16).toUpper().rightJustified(4, u'0');
    if (text[at].isSurrogate() && length == 1) // half a pair cannot be shown
        return QStringLiteral("U+") + hex;
    return QStringLiteral("«%1» (U+%2)").arg(text.sliced(at, length), hex);
}

} // namespace

Status readFile(const QString &path, qint64 maxBytes, QByteArray &bytes)
{
    const auto fail = [&](const QString &reason) { return readFailure(path, reason); };
    QFile file(path);
    if (auto reason = openWhole(file, maxBytes))
        return fail(*reason);
    const qint64 size = file.size();

    // Exactly the size the open file has: one that changes meanwhile is not read half.
    bytes = QByteArray(size, Qt::Uninitialized);
    const qint64 got = file.read(bytes.data(), bytes.size());
    char more;
    if (got < 0 || file.error() != QFileDevice::NoError)
        return fail(deviceReason(file));
    if (got != bytes.size() || file.read(&more, 1) != 0)
        return fail(QStringLiteral("файл изменился во время чтения"));
    return std::nullopt;
}

Status readFileStart(const QString &path, qint64 startBytes, qint64 wholeBytes, QByteArray &bytes)
{
    QFile file(path);
    std::optional<QString> reason = openWhole(file, wholeBytes);
    if (!reason) {
        bytes = file.read(startBytes);
        if (file.error() != QFileDevice::NoError)
            reason = deviceReason(file);
    }
    if (reason)
        return readFailure(path, *reason);
    return std::nullopt;
}

Status writeTextFile(const QString &path, QStringView text)
{
    const auto fail = [&](const QString &reason) {
        return Failure{QStringLiteral("Не удалось записать файл."), path, reason};
    };
    QByteArray bytes;
    bytes.reserve(text.size() + 2);
    if (const auto at = encodeCodePage(text, bytes)) {
        const qsizetype line = text.first(*at).count(u'\n') + 1;
        return fail(QStringLiteral("символ %1 в строке %2 нельзя записать в кодировке Windows-1251")
                        .arg(characterName(text, *at))
                        .arg(line));
    }
    bytes += "\r\n";
    return writeFile(path, bytes);
}

Status writeFile(const QString &path, QByteArrayView bytes)
{
    const auto fail = [&](const QString &reason) {
        return Failure{QStringLiteral("Не удалось записать файл."), path, reason};
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("на месте файла папка"));

    // An antivirus or an indexer may hold the file, or the new one beside it,
    // for a moment after it changes, and Windows then refuses the replace: it
    // is tried again for about a second before it counts as refused.
    int pauseMs = 10;
    for (int waited = 0;; waited += pauseMs, pauseMs *= 2) {
        QFileDevice::FileError error = QFileDevice::NoError;
        QString reason;
        {
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return fail(saveReason(file));
            // Uncommitted, the temporary file goes and the old one stays. The
            // last bytes are flushed and the size asked before the commit, which
            // in Qt 6.4 replaces the old file even when that flush failed.
            if (file.write(bytes.data(), bytes.size()) == bytes.size() && file.flush() && file.size() == bytes.size()
                && file.commit())
                return std::nullopt;
            error = file.error();
            reason = error == QFileDevice::NoError ? QStringLiteral("записано меньше, чем должно было") : deviceReason(file);
        }
        // A full disk takes what fits and says no more than that: asked once
        // the new file is gone, its free space tells.
        if (error != QFileDevice::RenameError) {
            const QStorageInfo disk(QFileInfo(path).absolutePath());
            if (disk.isValid() && disk.bytesAvailable() < bytes.size())
                return fail(QStringLiteral("на диске не хватает места: файл занимает %1, а свободно %2")
                                .arg(sizeWords(bytes.size()), sizeWords(disk.bytesAvailable())));
            return fail(reason);
        }
        if (waited >= 1000)
            return fail(heldOpenElsewhere(path) ? heldElsewhereReason() : reason);
        QThread::msleep(pauseMs);
    }
}
