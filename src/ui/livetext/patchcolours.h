#pragma once

#include <QPalette>
#include <QTextCharFormat>
#include <QTextLayout>

// The colours of the format: comments, addresses, old and new bytes, texts,
// offsets and pragmas, placeholders on a background of their own; and, as a
// spelling checker does, a wavy line under what the reader found at fault.
// The colours are only looks, taken from each line as it stands; what the
// tool reads is the reader's, and so are the parts underlined.
class PatchColours
{
public:
    // Colours that keep their meaning in light and dark palettes alike.
    explicit PatchColours(const QPalette &palette);

    // A part of a line at fault: a doubt, or what the tool cannot read.
    struct Fault {
        qsizetype from;
        qsizetype length;
        bool doubt;
    };

    // The formats of one line; `inComment` says whether a /* comment runs
    // on into it, and then whether it runs on past it.
    QList<QTextLayout::FormatRange> line(const QString &text, bool &inComment, const std::vector<Fault> &faults) const;
    // Only whether a /* comment runs on past the line.
    static bool commentGoesOn(const QString &text, bool inComment);

private:
    enum Role { Comment, Address, Old, New, Text, Offset, Pragma, Placeholder, Roles };
    struct Line;

    QTextCharFormat m_formats[Roles];
    QColor m_fault, m_doubt;
};
