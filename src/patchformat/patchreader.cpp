#include "patchreader.h"
#include "patchreader_p.h"

#include "plainrecord.h"
#include "scanner.h"

#include <algorithm>
#include <cstring>

namespace {

// What stands where a hex number should: its value, or why there is none.
struct HexNumber {
    enum class Outcome { Read, NotHex, TooLarge };
    Outcome outcome = Outcome::Read;
    qint64 value = 0;
};

// XX, YY, nn, ?? and the like: a byte an author has yet to fill in.
bool isPlaceholder(char16_t a, char16_t b)
{
    return a == '?' || b == '?' || (a == b && !isHex(a));
}

bool startsItem(char16_t c)
{
    return isWord(c) || c == '"' || c == '\'';
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

// The records' bytes as they are read: written straight into the reading's
// array, grown in steps and cut to size at the end; or only counted.
class Bytes
{
public:
    Bytes(QByteArray &array, RecordBytes kept, qsizetype expected)
        : m_array(array)
        , m_kept(kept == RecordBytes::Kept)
    {
        if (m_kept)
            m_array.resize(expected);
    }

    bool kept() const { return m_kept; }
    qsizetype size() const { return m_size; }
    // Room for `count` bytes more, of which commit() then takes those written.
    char *room(qsizetype count)
    {
        char *at = grow(count);
        m_size -= count;
        return at;
    }
    void commit(qsizetype count) { m_size += count; }
    void put(char byte)
    {
        if (char *at = grow(1))
            *at = byte;
    }
    void put(const char *bytes, qsizetype count)
    {
        if (char *at = grow(count))
            std::memcpy(at, bytes, std::size_t(count));
    }
    void fill(qsizetype count, char byte)
    {
        if (char *at = grow(count))
            std::memset(at, byte, std::size_t(count));
    }
    void truncate(qsizetype size) { m_size = size; }
    void finish() { m_array.resize(m_kept ? m_size : 0); }

private:
    char *grow(qsizetype count)
    {
        if (!m_kept) {
            m_size += count;
            return nullptr;
        }
        if (m_size + count > m_array.size())
            m_array.resize(std::max(m_array.size() * 2, m_size + count));
        char *at = m_array.data() + m_size;
        m_size += count;
        return at;
    }

    QByteArray &m_array;
    bool m_kept;
    qsizetype m_size = 0;
};

class Reader
{
public:
    Reader(QStringView text, RecordBytes bytes, bool inFull)
        : m_scanner(text, m_findings)
        , m_bytes(m_reading.bytes, bytes, text.size() / 2)
        , m_inFull(inFull)
    {
        // A record line is rarely shorter.
        m_reading.records.reserve(std::size_t(text.size() / 64));
        for (int i = 0; i < pragmaCount; ++i)
            m_reading.pragmaOn[i] = pragmaOnAtStart(Pragma(i));
    }

    PatchReading read()
    {
        while (!m_scanner.atEnd()) {
            if (!m_inFull && plainRecord())
                continue;
            m_findings.startStatement();
            const qsizetype bytes = m_bytes.size();
            const std::size_t anyBytes = m_reading.anyBytes.size();
            m_scanner.skipGap();
            if (!m_scanner.atLineEnd())
                statement();
            if (m_findings.failed()) {
                // A line the tool cannot read writes nothing.
                m_bytes.truncate(bytes);
                m_reading.anyBytes.resize(anyBytes);
            }
            m_findings.endStatement(m_scanner.skipLine());
        }
        m_reading.findings = m_findings.take();
        m_bytes.finish();
        return std::move(m_reading);
    }

private:
    struct Span {
        Mark from;
        qsizetype to;
    };

    // Items written together or joined by commas: their bytes lie in
    // PatchReading::bytes from `at`.
    struct Field {
        Mark from{};
        qsizetype end = 0;
        qsizetype at = 0;
        qsizetype size = 0;
        std::optional<Span> placeholder; // the first item with one
    };

    bool failed() const { return m_findings.failed(); }

    // The line at the cursor, if it is a record in its plainest form.
    bool plainRecord()
    {
        constexpr qsizetype most = 256;
        const char16_t *const text = m_scanner.source().utf16();
        const char16_t *const end = text + m_scanner.source().size();
        const qsizetype at = m_bytes.size();
        const std::optional<PlainRecord> plain = readPlainRecord(text + m_scanner.at(), end, m_bytes.room(most), most);
        if (!plain)
            return false;
        m_bytes.commit(plain->firstSize + plain->secondSize);
        const bool twoFields = plain->secondSize > 0;
        PatchRecord record{m_scanner.line(), quint32(m_reading.offset + plain->address),
                           twoFields ? plain->secondSize : plain->firstSize, 0, twoFields ? at + plain->firstSize : at, 0,
                           plain->addressAt - text, plain->fieldsAt - text, plain->fieldsEnd - text};
        addRecord(record, twoFields, at, plain->firstSize);
        if (plain->lineEnd == end)
            m_scanner.passToEnd();
        else
            m_scanner.passLineFeed(plain->lineEnd - text);
        return true;
    }

    // The record joins the reading, with its old bytes as written in the first
    // of two fields, or as old_equal_ff implies them.
    void addRecord(PatchRecord &record, bool twoFields, qsizetype firstAt, qsizetype firstSize)
    {
        if (twoFields) {
            record.oldAt = firstAt;
            record.oldSize = firstSize;
        } else if (m_reading.pragmaOn[int(Pragma::OldEqualFf)]) {
            record.oldAt = m_bytes.size();
            record.oldSize = record.newSize;
            m_bytes.fill(record.newSize, char(0xFF));
        }
        record.undoOff = !m_reading.pragmaOn[int(Pragma::Undo)];
        m_reading.records.push_back(record);
    }

    void error(FindingKind kind, Mark from, qsizetype to, std::array<qint64, 2> numbers = {})
    {
        m_findings.error(kind, from, to, numbers);
    }

    void doubt(FindingKind kind, Mark from, qsizetype to) { m_findings.doubt(kind, from, to); }

    // The word at the cursor, across joined lines.
    QStringView word()
    {
        const qsizetype from = m_scanner.at();
        while (isWord(m_scanner.current()))
            m_scanner.advance();
        return m_scanner.source().sliced(from, m_scanner.at() - from);
    }

    // 0x, 0n, 0i: the tool's own spelling is in lower case.
    void prefix()
    {
        if (m_scanner.peek(1) < 'a')
            doubt(FindingKind::CapitalLetters, m_scanner.mark(), m_scanner.at() + 2);
        m_scanner.advance(2);
    }

    // A line counts only when nothing but a comment follows what it says.
    bool endsHere()
    {
        m_scanner.skipGap();
        if (!m_scanner.atLineEnd()) {
            m_findings.errorToStatementEnd(FindingKind::TrailingJunk, m_scanner.mark());
            return false;
        }
        // Real patches write `01; c`, and the tool reads it so; a // or #
        // right after an item may be taken for part of it.
        if (!m_scanner.afterGap() && m_scanner.peek() != ';' && m_scanner.atLineComment()) {
            const qsizetype mark = m_scanner.peek() == '/' ? 2 : 1;
            doubt(FindingKind::CommentWithoutBlank, m_scanner.mark(), m_scanner.at() + mark);
        }
        return true;
    }

    void statement()
    {
        m_start = m_scanner.mark();
        const char16_t c = m_scanner.current();
        if (c == '#')
            pragma();
        else if (c == '+' || c == '-')
            offset();
        else
            record();
    }

    void pragma()
    {
        if (m_scanner.source().sliced(m_start.at, pragmaWord.size()) != pragmaWord)
            doubt(FindingKind::CapitalLetters, m_start, m_start.at + pragmaWord.size());
        m_scanner.advance(pragmaWord.size());
        m_scanner.skipGap();
        const Mark actionAt = m_scanner.mark();
        const QStringView action = word();
        m_scanner.skipGap();
        const Mark nameAt = m_scanner.mark();
        const QStringView name = word();
        const bool enable = action.compare(u"enable", Qt::CaseInsensitive) == 0;
        if (!enable && action.compare(u"disable", Qt::CaseInsensitive) != 0)
            return error(FindingKind::PragmaWithoutAction, m_start, actionAt.at + action.size());
        if (action != u"enable" && action != u"disable")
            doubt(FindingKind::CapitalLetters, actionAt, actionAt.at + action.size());
        int known = 0;
        while (known < pragmaCount && name.compare(pragmaNames[known], Qt::CaseInsensitive) != 0)
            ++known;
        if (known == pragmaCount)
            return error(FindingKind::UnknownPragma, m_start, nameAt.at + name.size());
        if (name != pragmaNames[known])
            doubt(FindingKind::CapitalLetters, nameAt, nameAt.at + name.size());
        if (!endsHere())
            return;
        m_reading.pragmaOn[known] = enable;
        m_reading.pragmaLine[known] = enable != pragmaOnAtStart(Pragma(known)) ? m_start.line : 0;
    }

    // Hex digits, with or without 0x, at most FFFFFFFF: none, or something
    // else after them, is no hex number.
    HexNumber hexNumber()
    {
        if (m_scanner.current() == '0' && (m_scanner.peek(1) | 0x20) == 'x' && isHex(m_scanner.peek(2)))
            prefix();
        qint64 value = 0;
        bool digits = false, large = false;
        // Run by run: a backslash may join the next line on in the middle.
        while (isHex(m_scanner.current())) {
            const char16_t *const run = m_scanner.source().utf16() + m_scanner.at();
            const char16_t *const end = m_scanner.source().utf16() + m_scanner.source().size();
            const char16_t *at = run;
            for (int digit; at != end && (digit = hexValue(*at)) >= 0; ++at) {
                value = value * 16 + digit;
                if (value >= addressSpace) {
                    large = true;
                    value = 0;
                }
            }
            digits = true;
            m_scanner.advance(at - run);
        }
        if (!digits || isWord(m_scanner.current()))
            return {HexNumber::Outcome::NotHex};
        return large ? HexNumber{HexNumber::Outcome::TooLarge} : HexNumber{HexNumber::Outcome::Read, value};
    }

    void offset()
    {
        const bool minus = m_scanner.current() == '-';
        m_scanner.advance();
        if (m_scanner.skipGap())
            doubt(FindingKind::BlankAfterSign, m_scanner.gapStart(), m_scanner.at());
        const HexNumber number = hexNumber();
        if (number.outcome == HexNumber::Outcome::NotHex)
            return m_findings.errorToStatementEnd(FindingKind::OffsetNotHex, m_start);
        if (number.outcome == HexNumber::Outcome::TooLarge)
            return error(FindingKind::OffsetTooLarge, m_start, m_scanner.at());
        if (!endsHere())
            return;
        m_reading.offset = minus ? -number.value : number.value;
        m_reading.offsetLine = number.value ? m_start.line : 0;
    }

    void record()
    {
        const HexNumber address = hexNumber();
        const qsizetype addressEnd = m_scanner.at();
        const bool gap = m_scanner.skipGap();
        if (address.outcome == HexNumber::Outcome::NotHex || m_scanner.current() != ':')
            return m_findings.errorToStatementEnd(FindingKind::NotAStatement, m_start);
        if (address.outcome == HexNumber::Outcome::TooLarge)
            return error(FindingKind::AddressTooLarge, m_start, addressEnd);
        if (gap)
            doubt(FindingKind::BlankBeforeColon, m_scanner.gapStart(), m_scanner.at());
        m_scanner.advance();
        const qsizetype colonEnd = m_scanner.at();
        m_scanner.skipGap();
        if (m_scanner.atLineEnd())
            return error(FindingKind::NoBytes, m_start, colonEnd);

        const Field first = field();
        if (failed())
            return;
        m_scanner.skipGap();
        const bool twoFields = startsItem(m_scanner.current());
        const Field second = twoFields ? field() : Field();
        if (failed())
            return;
        m_scanner.skipGap();
        if (twoFields && startsItem(m_scanner.current()))
            return m_findings.errorToStatementEnd(FindingKind::TooManyFields, m_scanner.mark());
        const Field &newField = twoFields ? second : first;
        if (newField.placeholder)
            return error(FindingKind::Unfinished, newField.placeholder->from, newField.placeholder->to);
        if (twoFields && first.size < second.size)
            return error(FindingKind::FewerOldBytes, first.from, first.end, {first.size, second.size});
        if (newField.size == 0) // "" writes nothing
            return error(FindingKind::NoBytes, m_start, newField.end);
        if (!endsHere())
            return;

        PatchRecord record{m_start.line, quint32(m_reading.offset + address.value), newField.size, 0, newField.at, 0,
                           m_start.at, first.from.at, newField.end};
        addRecord(record, twoFields, first.at, first.size);
    }

    Field field()
    {
        Field field;
        field.from = m_scanner.mark();
        field.at = m_bytes.size();
        while (!failed()) {
            item(field);
            char16_t c = m_scanner.current();
            if (c == ',') {
                m_scanner.advance();
                c = m_scanner.current();
            }
            if (!startsItem(c))
                break;
        }
        field.end = m_scanner.at();
        field.size = m_bytes.size() - field.at;
        return field;
    }

    void item(Field &field)
    {
        const char16_t c = m_scanner.current();
        const char16_t prefixLetter = m_scanner.peek(1) | 0x20;
        if (c == '"' || c == '\'') {
            QByteArray text;
            if (m_scanner.quotedText(&text))
                m_bytes.put(text.constData(), text.size());
        }
        else if (c == '0' && (prefixLetter == 'x' || prefixLetter == 'n'))
            number(prefixLetter == 'n');
        else if (c == '0' && prefixLetter == 'i')
            decimal();
        else
            hexBytes(field);
    }

    void appendLittleEndian(quint64 value, int size)
    {
        for (int i = 0; i < size; ++i, value >>= 8)
            m_bytes.put(char(value & 0xFF));
    }

    void hexBytes(Field &field)
    {
        const Mark from = m_scanner.mark();
        qint64 digits = 0;
        bool placeholder = false, bad = false;
        char16_t previous = 0;
        for (;;) {
            // Whole bytes of hex digits, nearly all there is, two at a time,
            // a few dozen at once.
            while (digits % 2 == 0) {
                constexpr qsizetype most = 64;
                const char16_t *const run = m_scanner.source().utf16() + m_scanner.at();
                const qsizetype pairs = std::min(most, (m_scanner.source().size() - m_scanner.at()) / 2);
                const qsizetype done = hexRun(run, pairs, m_bytes.kept() ? m_bytes.room(most) : nullptr);
                m_bytes.commit(done);
                m_scanner.advance(2 * done);
                digits += 2 * done;
                if (done < most)
                    break;
            }
            const char16_t c = m_scanner.current();
            if (!isWord(c))
                break;
            if (digits % 2 == 1) {
                if (isHex(previous) && isHex(c)) {
                    m_bytes.put(char(hexValue(previous) << 4 | hexValue(c)));
                } else if (isPlaceholder(previous, c)) {
                    placeholder = true;
                    m_reading.anyBytes.push_back(m_bytes.size());
                    m_bytes.put('\0');
                } else {
                    bad = true;
                }
            }
            previous = c;
            m_scanner.advance();
            ++digits;
        }
        if (digits % 2 == 1)
            return error(FindingKind::OddDigits, from, m_scanner.at());
        if (bad)
            return error(FindingKind::NotHexBytes, from, m_scanner.at());
        if (placeholder && !field.placeholder)
            field.placeholder = Span{from, m_scanner.at()};
    }

    // 0x: up to 8 hex digits, a byte for each two; 0n: up to 32 binary
    // digits, a byte for each eight; rounded up, little-endian.
    void number(bool binary)
    {
        const Mark from = m_scanner.mark();
        prefix();
        const int most = binary ? 32 : 8, perByte = binary ? 8 : 2;
        int digits = 0;
        bool bad = false;
        quint64 value = 0;
        for (char16_t c; isWord(c = m_scanner.current()); m_scanner.advance(), ++digits) {
            const int digit = binary ? (c == '0' || c == '1' ? c - '0' : -1) : hexValue(c);
            bad = bad || digit < 0;
            value = value * (binary ? 2 : 16) + std::max(digit, 0);
        }
        if (bad || digits == 0)
            return error(binary ? FindingKind::NotBinaryNumber : FindingKind::NotHexNumber, from, m_scanner.at());
        if (digits > most)
            return error(binary ? FindingKind::TooManyBinaryDigits : FindingKind::TooManyHexDigits, from, m_scanner.at());
        appendLittleEndian(value, (digits + perByte - 1) / perByte);
    }

    // Decimal, signed or not; the count of digits picks the size.
    void decimal()
    {
        const Mark from = m_scanner.mark();
        prefix();
        const char16_t sign = m_scanner.current();
        if (sign == '-' || sign == '+')
            m_scanner.advance();
        int digits = 0;
        quint64 value = 0;
        bool bad = false, large = false;
        for (char16_t c; isWord(c = m_scanner.current()); m_scanner.advance(), ++digits) {
            if (c < '0' || c > '9')
                bad = true;
            else if (value > (~quint64(0) - (c - '0')) / 10)
                large = true;
            else
                value = value * 10 + (c - '0');
        }
        const qsizetype to = m_scanner.at();
        if (bad || digits == 0)
            return error(FindingKind::NotDecimal, from, to);
        const int size = decimalSize(digits);
        if (size == 0)
            return error(FindingKind::DecimalDigitCount, from, to, {digits, 0});
        const int bits = size * 8;
        const quint64 signedMost = (quint64(1) << (bits - 1)) - 1;
        const quint64 unsignedMost = bits == 64 ? ~quint64(0) : (quint64(1) << bits) - 1;
        if (large || value > (sign == '-' ? signedMost + 1 : unsignedMost))
            return error(FindingKind::DecimalTooLarge, from, to, {size, 0});
        // A sign asks for a signed number; the tool may hold it to that.
        if (sign == '+' && value > signedMost)
            doubt(FindingKind::SignedOutOfRange, from, to);
        appendLittleEndian(sign == '-' ? 0 - value : value, size);
    }

    Findings m_findings;
    Scanner m_scanner;
    PatchReading m_reading;
    // Hex digits, the bulk of a patch, make a byte of two.
    Bytes m_bytes;
    Mark m_start{}; // where the statement being read starts
    bool m_inFull;
};

} // namespace

PatchReading readPatchText(QStringView text, RecordBytes bytes)
{
    return Reader(text, bytes, false).read();
}

PatchReading readPatchTextInFull(QStringView text, RecordBytes bytes)
{
    return Reader(text, bytes, true).read();
}
