#pragma once

#include "assembly/patchtextholder.h"

class QPlainTextEdit;

// The text box as the holder of the patch text.
class TextBoxHolder : public PatchTextHolder
{
public:
    explicit TextBoxHolder(QPlainTextEdit *edit) : m_edit(edit) {}

    QString text() const override;
    void setText(const QString &text) override;
    void append(const QString &more) override;

private:
    QPlainTextEdit *m_edit;
};
