#include "textfile.h"

#include "codepage.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

QString withDetail(const QString &reason, const QFileDevice &file)
{
    const QString detail = file.errorString();
    return detail.isEmpty() ? reason : QStringLiteral("%1 (%2)").arg(reason, detail);
}

QString deviceReason(const QFileDevice &file)
{
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        return withDetail(QStringLiteral("нет прав доступа"), file);
    case QFileDevice::ResourceError:
        return withDetail(QStringLiteral("не хватает места на диске или других ресурсов"), file);
    case QFileDevice::ReadError:
        return withDetail(QStringLiteral("ошибка чтения"), file);
    case QFileDevice::WriteError:
        return withDetail(QStringLiteral("ошибка записи"), file);
    case QFileDevice::RenameError:
    case QFileDevice::CopyError:
        return withDetail(QStringLiteral("не удалось заменить прежний файл"), file);
    default:
        return withDetail(QStringLiteral("файл не открывается"), file);
    }
}

// Why `info` cannot be read as a regular file, or nothing when it can.
std::optional<QString> notRegularReason(const QFileInfo &info)
{
    if (info.isSymLink() && !info.exists())
        return QStringLiteral("ссылка ведёт на несуществующий файл или по кругу");
    if (!info.exists())
        return QStringLiteral("файл не найден");
    if (info.isDir())
        return QStringLiteral("это папка, а не файл");
    if (!info.isFile())
        return QStringLiteral("это не обычный файл (канал или устройство)");
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
    const auto fail = [&](const QString &reason) {
        return Failure{QStringLiteral("Не удалось прочитать файл."), path, reason};
    };
    const QFileInfo info(path);
    if (auto reason = notRegularReason(info))
        return fail(*reason);
    if (info.size() > maxBytes)
        return fail(QStringLiteral("файл больше %1 МиБ").arg(maxBytes / (1024 * 1024)));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(deviceReason(file));
    // Exactly the size seen above: a file that changes meanwhile is not read half.
    bytes = QByteArray(info.size(), Qt::Uninitialized);
    const qint64 got = file.read(bytes.data(), bytes.size());
    char more;
    if (got < 0 || file.error() != QFileDevice::NoError)
        return fail(deviceReason(file));
    if (got != bytes.size() || file.read(&more, 1) != 0)
        return fail(QStringLiteral("файл изменился во время чтения"));
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
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("на месте файла папка"));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(deviceReason(file));
    if (file.write(bytes) != bytes.size() || !file.commit())
        return fail(deviceReason(file));
    return std::nullopt;
}
