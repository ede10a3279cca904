#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <vector>

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

    enum Role : quint8 { Comment, Address, Old, New, Text, Offset, Pragma, Placeholder, Fault, Doubt, Roles };
    // A part of a line and what it is: a later one over an earlier one.
    struct Span {
        int from;
        int length;
        Role role;
    };

    // The parts of one line; `inComment` says whether a /* comment runs on
    // into it, and then whether it runs on past it. `faults`: the parts the
    // reader found at fault (Fault) or in doubt (Doubt).
    std::vector<Span> line(const QString &text, bool &inComment, const std::vector<Span> &faults) const;
    // Only whether a /* comment runs on past the line.
    static bool commentGoesOn(const QString &text, bool inComment);

    // The ink of a role; a placeholder's background; a fault's wavy line.
    QColor ink(Role role) const { return m_colours[role]; }
    QColor placeholderBackground() const { return m_placeholder; }

private:
    struct Line;

    QColor m_colours[Roles];
    QColor m_placeholder;
};
