#pragma once

#include <QtGlobal>
#include <array>

// What the reader finds wrong or doubtful in a patch text, as values: the
// words for each kind are the warnings' business (findingWords).
enum class FindingKind {
    // The tool cannot read the line, and skips it.
    NotAStatement,     // neither a record nor an offset nor a #pragma
    AddressTooLarge,
    NoBytes,           // an address and a colon, and nothing after
    TooManyFields,
    Unfinished,        // placeholders in the new bytes
    FewerOldBytes,     // numbers: old bytes, new bytes
    OddDigits,
    NotHexBytes,
    NotHexNumber,      // 0x with something else than hex digits
    TooManyHexDigits,  // 0x with more than 8
    NotBinaryNumber,
    TooManyBinaryDigits, // 0n with more than 32
    NotDecimal,
    DecimalDigitCount, // numbers: the digits, of which no size is made
    DecimalTooLarge,   // numbers: the bytes its digits ask for
    UnclosedQuote,
    CommentMarkInText, // /*, */ or // in a text, unescaped
    TrailingJunk,
    OffsetNotHex,
    OffsetTooLarge,
    PragmaWithoutAction,
    UnknownPragma,
    // Comments out of place; what stands beside them is read.
    UnclosedComment,
    StrayCommentEnd,
    // Read as the likeliest reading, though the tool may read it otherwise.
    BlankAfterSign,
    BlankBeforeColon,
    CapitalLetters,    // 0X, #PRAGMA, ENABLE, UNDO
    CommentWithoutBlank,
    UnknownEscape,
    SignedOutOfRange,  // 0i+200: fits one byte unsigned, not signed
    BareCarriageReturn,
};

enum class Severity { Unreadable, Misplaced, Doubt };

constexpr Severity severity(FindingKind kind)
{
    if (kind >= FindingKind::BlankAfterSign)
        return Severity::Doubt;
    if (kind >= FindingKind::UnclosedComment)
        return Severity::Misplaced;
    return Severity::Unreadable;
}

struct Finding {
    FindingKind kind;
    int line;          // from 1
    int column;        // from 1, in characters
    qsizetype at;      // where the span starts in the text
    qsizetype length;  // how much of the text is at fault
    std::array<qint64, 2> numbers{}; // what the words need, as the kind says

    bool operator==(const Finding &) const = default;
};
