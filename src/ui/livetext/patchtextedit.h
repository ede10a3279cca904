#pragma once

#include "patchcolours.h"
#include "textcheck/textcheck.h"

#include <QPlainTextEdit>
#include <functional>
#include <map>
#include <vector>

class QListWidget;
class QPainter;
class QMenu;
class QToolButton;

// The patch text box. At its left a margin with a mark beside each line the
// last check marked; the format's colours and the faulty parts underlined;
// under the text the check's findings, folded away or not; Tab and
// Shift+Tab from one placeholder to the next while the text has any.
class PatchTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit PatchTextEdit(QWidget *parent = nullptr);

    // What the last check said.
    void showCheck(const TextCheck &check);
    const TextCheck &check() const { return m_check; }
    // The cursor to the start of `line`, from 1, shown.
    void goToLine(int line);
    // The next finding after the cursor's line, or the one before it.
    void nextFinding(bool forward);
    QListWidget *findings() const { return m_findings; }
    QToolButton *fold() const { return m_fold; }

    // Marks, colours and findings shown, or the text plain, as a person may
    // want it for a while: the menu's last item.
    void setMarked(bool marked);
    bool marked() const { return m_marked; }

    // Actions the text box's menu offers after Qt's own: for the whole text,
    // and those `forLine` gives for the line right-clicked, from 1.
    void addMenuAction(QAction *action);
    void setLineActions(std::function<void(QMenu &, int line)> forLine);

signals:
    // The text itself changed, not only its colours.
    void edited();
    void markedChanged(bool marked);
    void menuAboutToShow();
    void menuClosed();

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    class Margin;
    void paintMargin(QPaintEvent *event);
    void layOut();
    void showFindings(bool shown);
    void tooltipAt(const QPoint &inViewport, const QPoint &global);
    bool toPlaceholder(bool forward);

    const std::vector<PatchColours::Span> &colour(QTextBlock block);
    void drawColoured(QPainter &painter, const QTextBlock &block, const QPointF &offset,
                      const std::vector<PatchColours::Span> &spans, const QColor &text);
    bool commentRunsInto(int block);

    bool m_marked = true;
    int m_blocks = 1; // as last painted: lines come or go, and the marks move
    QAction *m_markedAction;
    Margin *m_margin;
    // Lines are coloured as they come into view: colouring every line of a
    // large text as it is appended cost more than appending it.
    PatchColours m_colours;
    quint64 m_colouring = 1; // changes when the colours or the faults do
    std::map<int, std::vector<PatchColours::Span>> m_faults; // by block, from 0
    std::vector<char> m_commentRunsOn; // by block: a /* comment runs on past it
    int m_commentsKnown = 0;           // for the blocks before this one
    int m_revision = 0;
    QListWidget *m_findings;
    QToolButton *m_fold;
    TextCheck m_check;
    QList<QAction *> m_menuActions;
    std::function<void(QMenu &, int)> m_lineActions;
};
