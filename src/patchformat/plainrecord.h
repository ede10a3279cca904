#pragma once

#include <QtGlobal>
#include <optional>

// How many whole bytes of hex digits stand at `run`, `most` at the most; with
// `out`, their values too; it has room for `most` bytes.
qsizetype hexRun(const char16_t *run, qsizetype most, char *out);

// Nearly every line of a patch is a record in its plainest form: an address
// of up to eight hex digits, a colon, one or two fields of hex bytes, and at
// most a `;` comment. Such a line is read here in one tight pass; any other
// is left to the full reading, which reads these lines the same way.
struct PlainRecord {
    quint32 address;
    qsizetype firstSize;
    qsizetype secondSize; // 0: one field only
    const char16_t *lineEnd; // its line feed, or the end of the text
    const char16_t *addressAt;
    const char16_t *fieldsAt;
    const char16_t *fieldsEnd;
};

// The line starts at `from`, the text ends at `end`. The fields' bytes go to
// `bytes` where given, the first field's first, `most` at the most: a line
// with more is left to the full reading.
std::optional<PlainRecord> readPlainRecord(const char16_t *from, const char16_t *end, char *bytes, qsizetype most);
