#pragma once

#include "textcheck/textcheck.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <map>
#include <vector>

// The colours of the format: comments, addresses, old and new bytes, texts,
// offsets and pragmas, placeholders on a background of their own; and, as
// a spelling checker does, a wavy line under what the reader found at fault.
// The colours are only looks, taken from each line as it is typed; what the
// tool reads is the reader's, and so are the lines underlined.
class PatchHighlighter : public QSyntaxHighlighter
{
public:
    explicit PatchHighlighter(QTextDocument *document);

    // The faulty parts of lines, as the last check found them.
    void underline(const TextCheck &check);
    // Colours for light and dark palettes alike.
    void usePalette(const QPalette &palette);

protected:
    void highlightBlock(const QString &text) override;

private:
    enum Role { Comment, Address, Old, New, Text, Offset, Pragma, Placeholder, Roles };
    void field(const QString &text, qsizetype from, qsizetype to, Role role);

    QTextCharFormat m_formats[Roles];
    struct Span {
        qsizetype from;
        qsizetype length;
        bool doubt;
    };
    std::map<int, std::vector<Span>> m_faults; // by block, from 0
    QColor m_fault, m_doubt;
};
