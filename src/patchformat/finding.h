#pragma once

#include <QtGlobal>
#include <array>

// What the reader finds wrong or doubtful in a patch text, as values: the
// words for each kind are the warnings' business (findingWords).
enum class FindingKind {
    NotAStatement,     // neither a record nor an offset nor a #pragma
    AddressTooLarge,
    NoBytes,           // an address and a colon, and nothing after, or ""
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
    UnclosedComment,
    StrayCommentEnd,
    BlankAfterSign,
    BlankBeforeColon,
    CapitalLetters,    // 0X, #PRAGMA, ENABLE, UNDO
    CommentWithoutBlank,
    UnknownEscape,
    SignedOutOfRange,  // 0i+200: fits one byte unsigned, not signed
    BareCarriageReturn,
};

enum class Severity {
    Unreadable, // the tool cannot read the line, and skips it
    Misplaced,  // a comment out of place; what stands beside it is read
    Doubt,      // read the likeliest way, though the tool may read it otherwise
};

// Each kind's severity: the build fails on a kind this leaves out.
constexpr Severity severity(FindingKind kind)
{
    switch (kind) {
    case FindingKind::NotAStatement:
    case FindingKind::AddressTooLarge:
    case FindingKind::NoBytes:
    case FindingKind::TooManyFields:
    case FindingKind::Unfinished:
    case FindingKind::FewerOldBytes:
    case FindingKind::OddDigits:
    case FindingKind::NotHexBytes:
    case FindingKind::NotHexNumber:
    case FindingKind::TooManyHexDigits:
    case FindingKind::NotBinaryNumber:
    case FindingKind::TooManyBinaryDigits:
    case FindingKind::NotDecimal:
    case FindingKind::DecimalDigitCount:
    case FindingKind::DecimalTooLarge:
    case FindingKind::UnclosedQuote:
    case FindingKind::CommentMarkInText:
    case FindingKind::TrailingJunk:
    case FindingKind::OffsetNotHex:
    case FindingKind::OffsetTooLarge:
    case FindingKind::PragmaWithoutAction:
    case FindingKind::UnknownPragma:
        return Severity::Unreadable;
    case FindingKind::UnclosedComment:
    case FindingKind::StrayCommentEnd:
        return Severity::Misplaced;
    case FindingKind::BlankAfterSign:
    case FindingKind::BlankBeforeColon:
    case FindingKind::CapitalLetters:
    case FindingKind::CommentWithoutBlank:
    case FindingKind::UnknownEscape:
    case FindingKind::SignedOutOfRange:
    case FindingKind::BareCarriageReturn:
        return Severity::Doubt;
    }
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
