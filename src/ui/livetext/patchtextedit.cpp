#include "patchtextedit.h"

#include "stateicons.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>

namespace {

constexpr int markWidth = 18;
constexpr int findingsHeight = 96;

// The mark of `line`, if the last check marked it.
const MarkedLine *markOf(const TextCheck &check, int line)
{
    const auto at = std::lower_bound(check.lines.begin(), check.lines.end(), line,
                                     [](const MarkedLine &m, int l) { return m.line < l; });
    return at != check.lines.end() && at->line == line ? &*at : nullptr;
}

QIcon weightIcon(Weight weight)
{
    switch (weight) {
    case Weight::Fault:
        return lineMarkIcon(LineMark::Unreadable);
    case Weight::Doubt:
        return lineMarkIcon(LineMark::Doubt);
    case Weight::Informs:
        break;
    }
    return lineMarkIcon(LineMark::Unchanged);
}

// The colours a line was given, and from what.
struct Coloured : QTextBlockUserData {
    Coloured(int revision, bool commentRunsIn, quint64 colouring)
        : revision(revision)
        , commentRunsIn(commentRunsIn)
        , colouring(colouring)
    {
    }
    int revision;
    bool commentRunsIn;
    quint64 colouring;
};

} // namespace

// The strip at the left where the marks stand; its tooltips are the lines'.
class PatchTextEdit::Margin : public QWidget
{
public:
    explicit Margin(PatchTextEdit *edit) : QWidget(edit), m_edit(edit) {}

protected:
    void paintEvent(QPaintEvent *event) override { m_edit->paintMargin(event); }
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QWidget::event(event);
        const auto *help = static_cast<QHelpEvent *>(event);
        const QPoint inText(0, help->pos().y());
        m_edit->tooltipAt(inText, help->globalPos());
        return true;
    }

private:
    PatchTextEdit *m_edit;
};

PatchTextEdit::PatchTextEdit(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_margin(new Margin(this))
    , m_colours(palette())
    , m_findings(new QListWidget(this))
    , m_fold(new QToolButton(this))
{
    m_findings->hide();
    // Each finding whole, in as many lines as it takes.
    m_findings->setWordWrap(true);
    m_findings->setIconSize(QSize(16, 16));
    m_findings->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_findings->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_findings->setAccessibleName(QStringLiteral("Замечания к тексту патча"));
    // F8 unfolds them from the keyboard; folded, they are no stop for Tab.
    m_fold->setFocusPolicy(Qt::NoFocus);
    m_fold->setAccessibleName(QStringLiteral("Замечания к тексту патча"));
    m_fold->setCheckable(true);
    m_fold->setAutoRaise(true);
    setCornerWidget(m_fold);
    m_revision = document()->revision();
    // Colours set on a line change the document too, but not its revision.
    connect(document(), &QTextDocument::contentsChange, this, [this](int position, int, int) {
        if (document()->revision() == m_revision)
            return;
        m_revision = document()->revision();
        m_commentsKnown = std::min(m_commentsKnown, document()->findBlock(position).blockNumber());
        emit edited();
    });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &rect, int dy) {
        if (dy)
            m_margin->scroll(0, dy);
        else
            m_margin->update(0, rect.y(), m_margin->width(), rect.height());
    });
    connect(m_fold, &QToolButton::toggled, this, &PatchTextEdit::showFindings);
    connect(m_findings, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        goToLine(item->data(Qt::UserRole).toInt());
        setFocus();
    });
    connect(m_findings, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { goToLine(item->data(Qt::UserRole).toInt()); });
    showCheck(TextCheck());
    layOut();
}

void PatchTextEdit::showCheck(const TextCheck &check)
{
    m_check = check;
    m_faults.clear();
    if (check.checked) {
        for (const Finding &finding : check.checked->reading->findings) {
            m_faults[finding.line - 1].push_back({qsizetype(finding.column - 1), std::max<qsizetype>(finding.length, 1),
                                                  severity(finding.kind) == Severity::Doubt});
        }
    }
    ++m_colouring;
    viewport()->update();
    m_findings->clear();
    for (const Notice &notice : check.notices) {
        auto *item = new QListWidgetItem(weightIcon(notice.weight), QStringLiteral("Строка %1: %2").arg(notice.line).arg(notice.text));
        item->setData(Qt::UserRole, notice.line);
        item->setToolTip(notice.text);
        m_findings->addItem(item);
    }
    const qsizetype count = check.notices.size();
    m_fold->setText(count ? QString::number(count) : QStringLiteral("✓"));
    m_fold->setToolTip(count ? QStringLiteral("Замечаний к тексту: %1. Показать или убрать их список; F8 — к следующему, Shift+F8 — к предыдущему")
                                   .arg(count)
                             : QStringLiteral("Замечаний к тексту нет"));
    m_margin->update();
}

void PatchTextEdit::goToLine(int line)
{
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return;
    setTextCursor(QTextCursor(block));
    centerCursor();
}

void PatchTextEdit::nextFinding(bool forward)
{
    const std::vector<Notice> &notices = m_check.notices;
    if (notices.empty())
        return;
    const int here = textCursor().blockNumber() + 1;
    std::size_t to = 0;
    if (forward) {
        const auto next = std::find_if(notices.begin(), notices.end(), [&](const Notice &n) { return n.line > here; });
        to = next == notices.end() ? 0 : std::size_t(next - notices.begin());
    } else {
        const auto before = std::find_if(notices.rbegin(), notices.rend(), [&](const Notice &n) { return n.line < here; });
        to = before == notices.rend() ? notices.size() - 1 : std::size_t(notices.rend() - before) - 1;
    }
    m_fold->setChecked(true);
    m_findings->setCurrentRow(int(to));
    goToLine(notices[to].line);
}

void PatchTextEdit::addMenuAction(QAction *action)
{
    m_menuActions += action;
}

void PatchTextEdit::setLineActions(std::function<void(QMenu &, int)> forLine)
{
    m_lineActions = std::move(forLine);
}

bool PatchTextEdit::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (viewport()->geometry().contains(help->pos())) {
            tooltipAt(viewport()->mapFrom(this, help->pos()), help->globalPos());
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

bool PatchTextEdit::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        tooltipAt(help->pos(), help->globalPos());
        return true;
    }
    return QPlainTextEdit::viewportEvent(event);
}

// What is said of the line at `inViewport`, a point of the viewport.
void PatchTextEdit::tooltipAt(const QPoint &inViewport, const QPoint &global)
{
    const int line = cursorForPosition(inViewport).blockNumber() + 1;
    const QString words = m_check.checked && markOf(m_check, line) ? lineWords(*m_check.checked, line) : QString();
    if (words.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(global, words, this);
}

void PatchTextEdit::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    layOut();
}

void PatchTextEdit::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        m_colours = PatchColours(palette());
        ++m_colouring;
    }
    QPlainTextEdit::changeEvent(event);
}

void PatchTextEdit::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    const int line = cursorForPosition(viewport()->mapFrom(this, event->pos())).blockNumber() + 1;
    if (m_lineActions) {
        menu->addSeparator();
        m_lineActions(*menu, line);
    }
    if (!m_menuActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_menuActions);
    }
    emit menuAboutToShow();
    menu->exec(event->globalPos());
    emit menuClosed();
}

// Tab goes from one placeholder to the next while the text has any, as a
// form's fields; else it leaves the text, as always.
bool PatchTextEdit::focusNextPrevChild(bool next)
{
    if (hasFocus() && toPlaceholder(next))
        return true;
    return QPlainTextEdit::focusNextPrevChild(next);
}

bool PatchTextEdit::toPlaceholder(bool forward)
{
    const QString text = toPlainText();
    std::vector<std::pair<qsizetype, qsizetype>> placeholders;
    for (const Finding &finding : readPatchText(text, RecordBytes::Counted).findings) {
        if (finding.kind == FindingKind::Unfinished)
            placeholders.emplace_back(finding.at, finding.length);
    }
    if (placeholders.empty())
        return false;
    const QTextCursor cursor = textCursor();
    auto to = placeholders.front();
    if (forward) {
        const auto next = std::find_if(placeholders.begin(), placeholders.end(), [&](const auto &p) { return p.first >= cursor.selectionEnd(); });
        to = next == placeholders.end() ? placeholders.front() : *next;
    } else {
        const auto before = std::find_if(placeholders.rbegin(), placeholders.rend(),
                                         [&](const auto &p) { return p.first + p.second <= cursor.selectionStart(); });
        to = before == placeholders.rend() ? placeholders.back() : *before;
    }
    QTextCursor select(document());
    select.setPosition(int(to.first));
    select.setPosition(int(to.first + to.second), QTextCursor::KeepAnchor);
    setTextCursor(select);
    return true;
}

void PatchTextEdit::showFindings(bool shown)
{
    m_findings->setVisible(shown);
    layOut();
}

void PatchTextEdit::layOut()
{
    setViewportMargins(markWidth, 0, 0, m_findings->isVisible() ? findingsHeight : 0);
    const QRect text = viewport()->geometry();
    m_margin->setGeometry(text.left() - markWidth, text.top(), markWidth, text.height());
    m_findings->setGeometry(text.left() - markWidth, text.bottom() + 1, text.width() + markWidth, findingsHeight);
}

void PatchTextEdit::paintEvent(QPaintEvent *event)
{
    colourShownLines();
    QPlainTextEdit::paintEvent(event);
}

// Whether a /* comment runs on into `block`, from the lines above it: what
// was known of them before the last edit above holds.
bool PatchTextEdit::commentRunsInto(int block)
{
    m_commentRunsOn.resize(std::size_t(document()->blockCount()));
    if (m_commentsKnown < block) {
        QTextBlock line = document()->findBlockByNumber(m_commentsKnown);
        bool runsOn = m_commentsKnown > 0 && m_commentRunsOn[std::size_t(m_commentsKnown - 1)];
        for (; line.isValid() && line.blockNumber() < block; line = line.next()) {
            runsOn = PatchColours::commentGoesOn(line.text(), runsOn);
            m_commentRunsOn[std::size_t(line.blockNumber())] = runsOn;
        }
        m_commentsKnown = block;
    }
    return block > 0 && m_commentRunsOn[std::size_t(block - 1)];
}

void PatchTextEdit::colourShownLines()
{
    QTextBlock block = firstVisibleBlock();
    qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    const qreal bottom = viewport()->height();
    static const std::vector<PatchColours::Fault> none;
    for (; block.isValid() && top <= bottom; block = block.next()) {
        const int number = block.blockNumber();
        bool inComment = commentRunsInto(number);
        const auto *coloured = static_cast<const Coloured *>(block.userData());
        if (!coloured || coloured->revision != block.revision() || coloured->commentRunsIn != inComment || coloured->colouring != m_colouring) {
            const bool runsIn = inComment;
            const auto faults = m_faults.find(number);
            // Setting them changes the document: its layout, not its text.
            block.layout()->setFormats(m_colours.line(block.text(), inComment, faults == m_faults.end() ? none : faults->second));
            block.setUserData(new Coloured(block.revision(), runsIn, m_colouring));
        } else {
            inComment = PatchColours::commentGoesOn(block.text(), inComment);
        }
        m_commentRunsOn[std::size_t(number)] = inComment;
        m_commentsKnown = std::max(m_commentsKnown, number + 1);
        top += blockBoundingRect(block).height();
    }
}

void PatchTextEdit::paintMargin(QPaintEvent *event)
{
    QPainter painter(m_margin);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    QTextBlock block = firstVisibleBlock();
    qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    while (block.isValid() && top <= event->rect().bottom()) {
        const qreal height = blockBoundingRect(block).height();
        if (block.isVisible() && top + height >= event->rect().top()) {
            if (const MarkedLine *mark = markOf(m_check, block.blockNumber() + 1)) {
                const int size = std::min(16, int(fontMetrics().height()));
                lineMarkIcon(mark->mark).paint(&painter, QRect(1, int(top + (height - size) / 2), size, size));
            }
        }
        block = block.next();
        top += height;
    }
}
