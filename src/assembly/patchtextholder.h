#pragma once

#include <QString>

// Where the patch text lives: the text box in the program, a plain string in
// tests. Its lines are joined by CR LF.
class PatchTextHolder
{
public:
    virtual ~PatchTextHolder() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    // Same as setText(text() + more), at the cost of `more` alone.
    virtual void append(const QString &more) = 0;
};

class PlainTextHolder : public PatchTextHolder
{
public:
    QString text() const override { return m_text; }
    void setText(const QString &text) override { m_text = text; }
    void append(const QString &more) override { m_text += more; }

private:
    QString m_text;
};
