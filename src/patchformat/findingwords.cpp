#include "findingwords.h"

#include "words.h"

namespace {

// What stands in the span, on one line and short enough to read in a box.
QString quoted(const Finding &finding, QStringView text)
{
    constexpr qsizetype shown = 24;
    QStringView span = text.sliced(finding.at, finding.length);
    for (qsizetype i = 0; i < span.size(); ++i) {
        if (span[i] == u'\n' || span[i] == u'\r') {
            span = span.first(i);
            break;
        }
    }
    span = span.trimmed();
    return span.size() > shown ? span.first(shown - 1).toString() + u'…' : span.toString();
}

// A blank or a tab that is itself the subject, where the reader can see it.
QString visibleBlanks(QStringView span)
{
    QString shown = span.toString();
    shown.replace(u' ', u'␣').replace(u'\t', u'⇥');
    return shown;
}

QString gap(const Finding &f, QStringView text)
{
    return text.sliced(f.at, f.length).contains(u"/*") ? QStringLiteral("комментарий") : QStringLiteral("пробел");
}

QString what(const Finding &f, QStringView text)
{
    const QString q = quoted(f, text);
    switch (f.kind) {
    case FindingKind::NotAStatement:
        return QStringLiteral("«%1» — не запись «адрес: байты», не смещение и не #pragma").arg(q);
    case FindingKind::AddressTooLarge:
        return QStringLiteral("адрес «%1» больше FFFFFFFF").arg(q);
    case FindingKind::NoBytes:
        return QStringLiteral("после адреса нет байтов");
    case FindingKind::TooManyFields:
        return QStringLiteral("в записи больше двух полей: «%1»").arg(q);
    case FindingKind::Unfinished:
        return QStringLiteral("патч не доделан: вместо новых байтов «%1»").arg(q);
    case FindingKind::FewerOldBytes:
        return QStringLiteral("старых байтов меньше, чем новых: %1 и %2").arg(f.numbers[0]).arg(f.numbers[1]);
    case FindingKind::OddDigits:
        return QStringLiteral("в «%1» нечётное число цифр").arg(q);
    case FindingKind::NotHexBytes:
        return QStringLiteral("«%1» — не шестнадцатеричные байты").arg(q);
    case FindingKind::NotHexNumber:
        return QStringLiteral("«%1» — не шестнадцатеричное число").arg(q);
    case FindingKind::TooManyHexDigits:
        return QStringLiteral("в числе «%1» больше 8 цифр").arg(q);
    case FindingKind::NotBinaryNumber:
        return QStringLiteral("«%1» — не двоичное число").arg(q);
    case FindingKind::TooManyBinaryDigits:
        return QStringLiteral("в числе «%1» больше 32 цифр").arg(q);
    case FindingKind::NotDecimal:
        return QStringLiteral("«%1» — не десятичное число").arg(q);
    case FindingKind::DecimalDigitCount:
        return QStringLiteral("в числе «%1» %2, а пишут 1–3, 5, 8, 10, 13, 15, 17 или 20")
            .arg(q, plural(f.numbers[0], u"цифра", u"цифры", u"цифр"));
    case FindingKind::DecimalTooLarge:
        return QStringLiteral("число «%1» не помещается в %2").arg(q, plural(f.numbers[0], u"байт", u"байта", u"байт"));
    case FindingKind::UnclosedQuote:
        return QStringLiteral("кавычка в «%1» не закрыта").arg(q);
    case FindingKind::CommentMarkInText:
        return QStringLiteral("«%1» в тексте в кавычках пишут как «\\%1»").arg(q);
    case FindingKind::TrailingJunk:
        return QStringLiteral("лишнее в конце строки: «%1»").arg(q);
    case FindingKind::OffsetNotHex:
        return QStringLiteral("смещение «%1» — не шестнадцатеричное число").arg(q);
    case FindingKind::OffsetTooLarge:
        return QStringLiteral("смещение «%1» больше FFFFFFFF").arg(q);
    case FindingKind::PragmaWithoutAction:
        return QStringLiteral("«%1»: после #pragma пишут enable или disable").arg(q);
    case FindingKind::UnknownPragma:
        return QStringLiteral("«%1»: прошивальщик не знает такой #pragma").arg(q);
    case FindingKind::UnclosedComment:
        return QStringLiteral("комментарий «/*» не закрыт, и весь текст после него прошивальщик пропустит");
    case FindingKind::StrayCommentEnd:
        return QStringLiteral("«*/» без открывающего «/*»: уберите его");
    case FindingKind::BlankAfterSign:
        return QStringLiteral("%1 между знаком смещения и числом: пишите их слитно, как «+A0000000»").arg(gap(f, text));
    case FindingKind::BlankBeforeColon:
        return QStringLiteral("%1 перед двоеточием: пишите адрес и «:» слитно").arg(gap(f, text));
    case FindingKind::CapitalLetters:
        return QStringLiteral("«%1» пишут строчными буквами: «%2»").arg(q, q.toLower());
    case FindingKind::CommentWithoutBlank:
        return QStringLiteral("комментарий «%1» вплотную к записи: поставьте перед ним пробел").arg(q);
    case FindingKind::UnknownEscape: {
        const QString escape = visibleBlanks(text.sliced(f.at, f.length));
        return QStringLiteral("в тексте «%1» — такой замены нет, прочитано как «%2»").arg(escape, escape.sliced(1));
    }
    case FindingKind::SignedOutOfRange:
        return QStringLiteral("«%1» со знаком «+» не помещается в свой размер: уберите «+»").arg(q);
    case FindingKind::BareCarriageReturn:
        return QStringLiteral("символ CR без LF прочитан как конец строки, а прошивальщик может прочесть его иначе");
    }
    return {};
}

} // namespace

QString findingWords(const Finding &finding, QStringView text)
{
    switch (severity(finding.kind)) {
    case Severity::Unreadable:
        return QStringLiteral("строку %1 прошивальщик не прочтёт: %2").arg(QString::number(finding.line), what(finding, text));
    case Severity::Misplaced:
        return QStringLiteral("в строке %1 %2").arg(QString::number(finding.line), what(finding, text));
    case Severity::Doubt:
        return QStringLiteral("строку %1 прошивальщик может прочесть иначе: %2").arg(QString::number(finding.line), what(finding, text));
    }
    return {};
}
