#include "patchreader.h"

#include <array>

namespace {

constexpr char16_t pastEnd = 0xFFFF;
constexpr qint64 addressSpace = 0x100000000;

constexpr QStringView pragmaNames[pragmaCount] = {
    u"old_equal_ff", u"undo", u"warn_no_old_on_apply", u"warn_if_new_exist_on_apply", u"warn_if_old_exist_on_undo",
};

bool isBlank(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Hex digits are nearly every character of a patch: a table, not comparisons.
constexpr auto hexDigits = [] {
    std::array<signed char, 128> values{};
    values.fill(-1);
    for (int i = 0; i < 10; ++i)
        values['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i)
        values['a' + i] = values['A' + i] = static_cast<signed char>(10 + i);
    return values;
}();

bool isHex(char16_t c)
{
    return c < 128 && hexDigits[c] >= 0;
}

int hexValue(char16_t c)
{
    return hexDigits[c];
}

bool isDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}

// What an item of a field or a word of a line is made of; letters beyond
// ASCII too, so that a placeholder typed in Cyrillic reads as one.
bool isWord(char16_t c)
{
    if (c < 0x80)
        return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_' || c == '?';
    return c != pastEnd && QChar(c).isLetter();
}

// XX, YY, nn, ?? and the like: a byte an author has yet to fill in.
bool isPlaceholder(char16_t a, char16_t b)
{
    return a == '?' || b == '?' || (a == b && !isHex(a));
}

QString plural(qint64 n, const char16_t *one, const char16_t *few, const char16_t *many)
{
    const qint64 tens = n % 100, units = n % 10;
    const char16_t *word = (tens >= 11 && tens <= 14) ? many : units == 1 ? one : (units >= 2 && units <= 4) ? few : many;
    return QString::number(n) + u' ' + QString::fromUtf16(word);
}

// The byte count a 0i number of so many digits asks for, or 0 for none.
int decimalSize(int digits)
{
    constexpr int sizes[][2] = {{5, 2}, {8, 3}, {10, 4}, {13, 5}, {15, 6}, {17, 7}, {20, 8}};
    if (digits >= 1 && digits <= 3)
        return 1;
    for (const auto &[count, bytes] : sizes) {
        if (digits == count)
            return bytes;
    }
    return 0;
}

class Reader
{
public:
    explicit Reader(QStringView text) : m_text(text), m_size(text.size())
    {
        for (int i = 0; i < pragmaCount; ++i)
            m_reading.pragmaOn[i] = pragmaOnAtStart(Pragma(i));
    }

    PatchReading read()
    {
        while (m_at < m_size) {
            m_failed = false;
            skipGap();
            m_line = m_lineNow;
            if (atLineEnd()) {
                skipLine();
                continue;
            }
            const char16_t c = peek();
            if (c == '#')
                readPragma();
            else if (c == '+' || c == '-')
                readOffset();
            else if (c == '*' && peek(1) == '/')
                fail(QStringLiteral("«*/» без открывающего «/*»"));
            else
                readRecord();
            skipLine();
        }
        return std::move(m_reading);
    }

private:
    struct Field {
        qint64 bytes = 0;
        QString placeholder; // the first item with one, as written
    };

    char16_t peek(qsizetype ahead = 0) const
    {
        return m_at + ahead < m_size ? m_text[m_at + ahead].unicode() : pastEnd;
    }

    bool lineEndAt(qsizetype ahead) const
    {
        return peek(ahead) == '\n' || (peek(ahead) == '\r' && peek(ahead + 1) == '\n');
    }

    // A backslash at the very end of a line joins the next line on.
    bool skipJoin()
    {
        if (peek() != '\\' || !lineEndAt(1))
            return false;
        m_at += peek(1) == '\r' ? 3 : 2;
        ++m_lineNow;
        return true;
    }

    // The next character of an item, across joined lines.
    char16_t peekJoined()
    {
        while (skipJoin()) {
        }
        return peek();
    }

    void fail(const QString &reason)
    {
        if (m_failed)
            return;
        m_failed = true;
        m_reading.unreadable.push_back({m_line, reason});
    }

    QString written(qsizetype from, qsizetype to) const
    {
        constexpr qsizetype shown = 24;
        QStringView text = m_text.sliced(from, to - from);
        if (const qsizetype lineEnd = text.indexOf(QChar(u'\n')); lineEnd >= 0)
            text = text.first(lineEnd);
        text = text.trimmed();
        return text.size() > shown ? text.first(shown - 1).toString() + u'…' : text.toString();
    }

    QString restOfLine(qsizetype from) const
    {
        const qsizetype lineEnd = m_text.indexOf(QChar(u'\n'), from);
        return written(from, lineEnd < 0 ? m_size : lineEnd);
    }

    QString restOfLine() const
    {
        return restOfLine(m_at);
    }

    // A line counts only when nothing but a comment follows what it says.
    bool endsHere()
    {
        skipGap();
        if (atLineEnd())
            return true;
        fail(QStringLiteral("лишнее в конце строки: «%1»").arg(restOfLine()));
        return false;
    }

    void skipBlanks()
    {
        while (isBlank(peek()))
            ++m_at;
    }

    void skipBlockComment()
    {
        const int opened = m_lineNow;
        for (m_at += 2; m_at + 1 < m_size; ++m_at) {
            if (m_text[m_at] == u'\n') {
                ++m_lineNow;
            } else if (m_text[m_at] == u'*' && m_text[m_at + 1] == u'/') {
                m_at += 2;
                return;
            }
        }
        m_at = m_size;
        m_reading.unreadable.push_back(
            {opened, QStringLiteral("комментарий «/*» не закрыт, и весь текст после него прошивальщик пропустит")});
    }

    // Blanks, /* comments */ and joined lines.
    void skipGap()
    {
        for (;;) {
            const char16_t c = peek();
            if (isBlank(c))
                ++m_at;
            else if (c == '/' && peek(1) == '*')
                skipBlockComment();
            else if (!skipJoin())
                return;
        }
    }

    // The end of the line, or a comment that runs to it.
    bool atLineEnd() const
    {
        const char16_t c = peek();
        return c == '\n' || c == pastEnd || startsLineComment(m_text.sliced(m_at));
    }

    // To the start of the next line; a /* comment */ may carry it further.
    void skipLine()
    {
        while (m_at < m_size) {
            const char16_t c = m_text[m_at].unicode();
            if (c == '\n') {
                ++m_at;
                ++m_lineNow;
                return;
            }
            if (c == ';' || c == '#' || (c == '/' && peek(1) == '/')) {
                const qsizetype lineEnd = m_text.indexOf(QChar(u'\n'), m_at);
                m_at = lineEnd < 0 ? m_size : lineEnd;
            } else if (c == '/' && peek(1) == '*') {
                skipBlockComment();
            } else if (!skipJoin()) {
                ++m_at;
            }
        }
    }

    QStringView readWord()
    {
        const qsizetype from = m_at;
        while (isWord(peek()))
            ++m_at;
        return m_text.sliced(from, m_at - from);
    }

    // Hex digits, with or without 0x, at most FFFFFFFF; -1 when there are none
    // or something else follows, -2 when the value is larger.
    qint64 readHexNumber()
    {
        if (peek() == '0' && (peek(1) | 0x20) == 'x' && isHex(peek(2)))
            m_at += 2;
        qint64 value = 0;
        bool digits = false, large = false;
        for (; isHex(peek()); ++m_at) {
            digits = true;
            value = value * 16 + hexValue(peek());
            if (value >= addressSpace) {
                large = true;
                value = 0;
            }
        }
        if (!digits || isWord(peek()))
            return -1;
        return large ? -2 : value;
    }

    void readOffset()
    {
        const qsizetype from = m_at;
        const bool minus = peek() == '-';
        ++m_at;
        skipBlanks();
        const qint64 value = readHexNumber();
        if (value == -1) {
            fail(QStringLiteral("смещение «%1» — не шестнадцатеричное число").arg(restOfLine(from)));
        } else if (value == -2) {
            fail(QStringLiteral("смещение «%1» больше FFFFFFFF").arg(written(from, m_at)));
        } else if (endsHere()) {
            m_reading.offset = minus ? -value : value;
            m_reading.offsetLine = value ? m_line : 0;
        }
    }

    void readPragma()
    {
        const qsizetype from = m_at;
        m_at += 7;
        skipBlanks();
        const QStringView action = readWord();
        skipBlanks();
        const QStringView name = readWord();
        const bool enable = action.compare(u"enable", Qt::CaseInsensitive) == 0;
        if (!enable && action.compare(u"disable", Qt::CaseInsensitive) != 0) {
            fail(QStringLiteral("«%1»: после #pragma пишут enable или disable").arg(written(from, m_at)));
            return;
        }
        for (int i = 0; i < pragmaCount; ++i) {
            if (name.compare(pragmaNames[i], Qt::CaseInsensitive) == 0) {
                if (!endsHere())
                    return;
                m_reading.pragmaOn[i] = enable;
                m_reading.pragmaLine[i] = enable != pragmaOnAtStart(Pragma(i)) ? m_line : 0;
                return;
            }
        }
        fail(QStringLiteral("«%1»: прошивальщик не знает такой #pragma").arg(written(from, m_at)));
    }

    void readRecord()
    {
        const qsizetype from = m_at;
        const qint64 address = readHexNumber();
        skipBlanks();
        if (address == -1 || peek() != ':') {
            fail(QStringLiteral("«%1» — не запись «адрес: байты», не смещение и не #pragma").arg(restOfLine()));
            return;
        }
        if (address == -2) {
            fail(QStringLiteral("адрес «%1» больше FFFFFFFF").arg(written(from, m_at)));
            return;
        }
        ++m_at;
        skipGap();
        if (atLineEnd())
            return fail(QStringLiteral("после адреса нет байтов"));
        const Field first = readField();
        skipGap();
        const bool two = !m_failed && startsItem(peek());
        const Field second = two ? readField() : Field();
        skipGap();
        if (m_failed)
            return;
        if (two && startsItem(peek()))
            return fail(QStringLiteral("в записи больше двух полей: «%1»").arg(restOfLine()));

        const Field &news = two ? second : first;
        if (!news.placeholder.isEmpty())
            return fail(QStringLiteral("патч не доделан: вместо новых байтов «%1»").arg(news.placeholder));
        if (two && first.bytes < second.bytes) {
            return fail(QStringLiteral("старых байтов меньше, чем новых: %1 и %2")
                            .arg(first.bytes)
                            .arg(second.bytes));
        }
        const qint64 at = m_reading.offset + address;
        if (at < 0 || at + news.bytes > addressSpace) {
            return fail(QStringLiteral("со смещением %1 адрес выходит за пределы 00000000–FFFFFFFF")
                            .arg(offsetText(m_reading.offset)));
        }
        if (!endsHere())
            return;
        const bool ffOld = m_reading.pragmaOn[int(Pragma::OldEqualFf)];
        m_reading.records.push_back({m_line, at, news.bytes, two ? first.bytes : ffOld ? news.bytes : 0});
    }

    static bool startsItem(char16_t c)
    {
        return isWord(c) || c == '"' || c == '\'';
    }

    // Items written together or joined by commas, with no blank between.
    Field readField()
    {
        Field field;
        while (!m_failed) {
            readItem(field);
            char16_t c = peekJoined();
            if (c == ',') {
                ++m_at;
                c = peekJoined();
            }
            if (!startsItem(c))
                break;
        }
        return field;
    }

    void readItem(Field &field)
    {
        const char16_t c = peek();
        const char16_t kind = peek(1) | 0x20;
        if (c == '"' || c == '\'')
            readText(field, c);
        else if (c == '0' && (kind == 'x' || kind == 'n'))
            readNumber(field, kind == 'n');
        else if (c == '0' && kind == 'i')
            readDecimal(field);
        else
            readHexBytes(field);
    }

    void readHexBytes(Field &field)
    {
        const qsizetype from = m_at;
        qint64 digits = 0;
        bool placeholder = false, bad = false;
        char16_t previous = 0;
        for (;;) {
            // Whole bytes of hex digits, nearly all there is, two at a time.
            if (digits % 2 == 0) {
                const char16_t *const run = m_text.utf16() + m_at;
                const char16_t *at = run, *const end = m_text.utf16() + m_size;
                while (end - at >= 2 && isHex(at[0]) && isHex(at[1]))
                    at += 2;
                m_at += at - run;
                digits += at - run;
            }
            const char16_t c = peekJoined();
            if (!isWord(c))
                break;
            if (digits % 2 == 1 && !(isHex(previous) && isHex(c))) {
                if (isPlaceholder(previous, c))
                    placeholder = true;
                else
                    bad = true;
            }
            previous = c;
            ++m_at;
            ++digits;
        }
        if (digits % 2 == 1)
            return fail(QStringLiteral("в «%1» нечётное число цифр").arg(written(from, m_at)));
        if (bad)
            return fail(QStringLiteral("«%1» — не шестнадцатеричные байты").arg(written(from, m_at)));
        if (placeholder && field.placeholder.isEmpty())
            field.placeholder = written(from, m_at);
        field.bytes += digits / 2;
    }

    // 0x: up to 8 hex digits, a byte for each two; 0n: up to 32 binary
    // digits, a byte for each eight; rounded up, little-endian.
    void readNumber(Field &field, bool binary)
    {
        const qsizetype from = m_at;
        m_at += 2;
        const int most = binary ? 32 : 8, perByte = binary ? 8 : 2;
        int digits = 0;
        bool bad = false;
        for (char16_t c; isWord(c = peekJoined()); ++m_at, ++digits)
            bad = bad || !(binary ? c == '0' || c == '1' : isHex(c));
        if (bad || digits == 0) {
            return fail((binary ? QStringLiteral("«%1» — не двоичное число") : QStringLiteral("«%1» — не шестнадцатеричное число"))
                            .arg(written(from, m_at)));
        }
        if (digits > most)
            return fail(QStringLiteral("в числе «%1» больше %2 цифр").arg(written(from, m_at), QString::number(most)));
        field.bytes += (digits + perByte - 1) / perByte;
    }

    // Decimal, signed or not; the count of digits picks the size.
    void readDecimal(Field &field)
    {
        const qsizetype from = m_at;
        m_at += 2;
        const bool minus = peek() == '-';
        if (minus || peek() == '+')
            ++m_at;
        int digits = 0;
        quint64 value = 0;
        bool bad = false, large = false;
        for (char16_t c; isWord(c = peekJoined()); ++m_at, ++digits) {
            if (!isDigit(c)) {
                bad = true;
            } else if (value > (~quint64(0) - (c - '0')) / 10) {
                large = true;
            } else {
                value = value * 10 + (c - '0');
            }
        }
        if (bad || digits == 0)
            return fail(QStringLiteral("«%1» — не десятичное число").arg(written(from, m_at)));
        const int size = decimalSize(digits);
        if (size == 0) {
            return fail(QStringLiteral("в числе «%1» %2, а пишут 1–3, 5, 8, 10, 13, 15, 17 или 20")
                            .arg(written(from, m_at), plural(digits, u"цифра", u"цифры", u"цифр")));
        }
        // Either reading fits: signed, or unsigned when there is no minus.
        const int bits = size * 8;
        const quint64 limit = minus ? quint64(1) << (bits - 1) : bits == 64 ? ~quint64(0) : (quint64(1) << bits) - 1;
        if (large || value > limit) {
            return fail(QStringLiteral("число «%1» не помещается в %2")
                            .arg(written(from, m_at), plural(size, u"байт", u"байта", u"байт")));
        }
        field.bytes += size;
    }

    // "text" is a byte a character, 'text' two; an escape is one character.
    void readText(Field &field, char16_t quote)
    {
        const qsizetype from = m_at;
        ++m_at;
        qint64 characters = 0;
        for (;;) {
            const char16_t c = peek();
            if (c == pastEnd || lineEndAt(0))
                return fail(QStringLiteral("кавычка в «%1» не закрыта").arg(written(from, m_at)));
            if (c == quote) {
                ++m_at;
                break;
            }
            if ((c == '/' && (peek(1) == '*' || peek(1) == '/')) || (c == '*' && peek(1) == '/')) {
                // Left where it is: a /* opens a comment all the same.
                return fail(QStringLiteral("«%1» в тексте в кавычках пишут как «\\%1»")
                                .arg(m_text.sliced(m_at, 2)));
            }
            ++characters;
            if (c != '\\') {
                ++m_at;
            } else if (!skipJoin()) {
                readEscape();
            } else {
                --characters;
            }
        }
        field.bytes += quote == '"' ? characters : 2 * characters;
    }

    void readEscape()
    {
        const char16_t c = peek(1);
        m_at += 2;
        if (c == pastEnd) {
            --m_at;
        } else if ((c | 0x20) == 'x') {
            for (int i = 0; i < 2 && isHex(peek()); ++i)
                ++m_at;
        } else if (c >= '0' && c <= '7') {
            for (int i = 0; i < 2 && peek() >= '0' && peek() <= '7'; ++i)
                ++m_at;
        }
    }

    QStringView m_text;
    qsizetype m_size;
    qsizetype m_at = 0;
    int m_lineNow = 1; // the line m_at is on
    int m_line = 1;    // the line the statement being read starts on
    bool m_failed = false;
    PatchReading m_reading;
};

} // namespace

QString pragmaName(Pragma pragma)
{
    return pragmaNames[int(pragma)].toString();
}

bool startsLineComment(QStringView text)
{
    const char16_t c = text.isEmpty() ? pastEnd : text.front().unicode();
    if (c == ';' || (c == '/' && text.startsWith(u"//")))
        return true;
    if (c != '#')
        return false;
    return !text.startsWith(u"#pragma", Qt::CaseInsensitive) || (text.size() > 7 && isWord(text[7].unicode()));
}

QString offsetText(qint64 offset)
{
    return (offset < 0 ? u'-' : u'+') + QString::number(qAbs(offset), 16).toUpper();
}

bool pragmaOnAtStart(Pragma pragma)
{
    return pragma != Pragma::OldEqualFf;
}

PatchReading readPatchText(QStringView text)
{
    return Reader(text).read();
}
