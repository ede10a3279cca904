#include "patchtextedit.h"

#include "stateicons.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QContextMenuEvent>
#include <QGlyphRun>
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
#include <array>
#include <memory>

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
    std::vector<PatchColours::Span> spans;
    bool commentRunsOn = false;
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
    , m_markedAction(new QAction(QStringLiteral("Пометки, цвета и замечания"), this))
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
    // Typed into, a line keeps its mark where it stands; the margin paints
    // again when the text scrolls or lines come or go.
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &, int dy) {
        if (dy) {
            m_margin->scroll(0, dy);
        } else if (blockCount() != m_blocks) {
            m_blocks = blockCount();
            m_margin->update();
        }
    });
    m_markedAction->setCheckable(true);
    m_markedAction->setChecked(true);
    connect(m_markedAction, &QAction::toggled, this, &PatchTextEdit::setMarked);
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
            m_faults[finding.line - 1].push_back({finding.column - 1, int(std::max<qsizetype>(finding.length, 1)),
                                                  severity(finding.kind) == Severity::Doubt ? PatchColours::Doubt : PatchColours::Fault});
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

void PatchTextEdit::setMarked(bool marked)
{
    if (marked == m_marked)
        return;
    m_marked = marked;
    m_markedAction->setChecked(marked);
    m_fold->setVisible(marked);
    if (!marked)
        m_fold->setChecked(false);
    layOut();
    viewport()->update();
    emit markedChanged(marked);
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
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) {
        m_colours = PatchColours(palette());
        ++m_colouring;
    }
    QPlainTextEdit::changeEvent(event);
}

void PatchTextEdit::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    // The line right-clicked, or the cursor's where the menu key opened it.
    // The event's own position is the viewport's or the box's, as it came.
    const int line = (event->reason() == QContextMenuEvent::Mouse
                          ? cursorForPosition(viewport()->mapFromGlobal(event->globalPos()))
                          : textCursor())
                         .blockNumber()
                     + 1;
    if (m_lineActions) {
        menu->addSeparator();
        m_lineActions(*menu, line);
    }
    if (!m_menuActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_menuActions);
    }
    menu->addSeparator();
    menu->addAction(m_markedAction);
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
    const int margin = m_marked ? markWidth : 0;
    setViewportMargins(margin, 0, 0, m_findings->isVisible() ? findingsHeight : 0);
    const QRect text = viewport()->geometry();
    m_margin->setGeometry(text.left() - margin, text.top(), margin, text.height());
    m_findings->setGeometry(text.left() - margin, text.bottom() + 1, text.width() + margin, findingsHeight);
}

// As Qt's own text box paints, each line drawn in its colours from the
// glyphs the text box laid out: colours set on the line change the document,
// and every key press painted the whole box again, not the line typed in.
void PatchTextEdit::paintEvent(QPaintEvent *event)
{
    if (!m_marked)
        return QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    QPointF offset(contentOffset());
    QRect region = event->rect();
    const QRect shown = viewport()->rect();
    const qreal widest = document()->documentLayout()->documentSize().width();
    painter.setBrushOrigin(offset); // where a wavy line starts its wave
    region.setRight(std::min(region.right(), int(offset.x() + std::max(qreal(shown.width()), widest) - document()->documentMargin()
                                                 + cursorWidth())));
    painter.setClipRect(region);
    const QAbstractTextDocumentLayout::PaintContext context = getPaintContext();
    painter.setPen(context.palette.text().color());
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF bounds = blockBoundingRect(block).translated(offset);
        if (block.isVisible() && bounds.bottom() >= region.top() && bounds.top() <= region.bottom()) {
            const std::vector<PatchColours::Span> &colours = colour(block);
            QList<QTextLayout::FormatRange> selected;
            const int at = block.position(), length = block.length();
            for (const QAbstractTextDocumentLayout::Selection &selection : context.selections) {
                const int from = selection.cursor.selectionStart() - at, to = selection.cursor.selectionEnd() - at;
                if (from < length && to > 0 && to > from)
                    selected.append({from, to - from, selection.format});
            }
            // Selected text shows as selected, in the selection's colours.
            if (selected.isEmpty() && block.layout()->lineCount() == 1)
                drawColoured(painter, block, offset, colours, context.palette.text().color());
            else
                block.layout()->draw(&painter, offset, selected, region);
            if (context.cursorPosition >= at && context.cursorPosition < at + length && !isReadOnly())
                block.layout()->drawCursor(&painter, offset, context.cursorPosition - at, cursorWidth());
        }
        if (block.isVisible())
            offset.ry() += bounds.height();
        if (offset.y() > shown.height())
            break;
    }
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

// The line's colours, made again where what they were made from changed: its
// text, a comment running into it, the colours or the faults.
const std::vector<PatchColours::Span> &PatchTextEdit::colour(QTextBlock block)
{
    static const std::vector<PatchColours::Span> none;
    const int number = block.blockNumber();
    const bool runsIn = commentRunsInto(number);
    auto *coloured = static_cast<Coloured *>(block.userData());
    if (!coloured || coloured->revision != block.revision() || coloured->commentRunsIn != runsIn || coloured->colouring != m_colouring) {
        const bool ranOn = coloured && coloured->commentRunsOn;
        const bool known = coloured;
        coloured = new Coloured(block.revision(), runsIn, m_colouring);
        const auto faults = m_faults.find(number);
        bool inComment = runsIn;
        coloured->spans = m_colours.line(block.text(), inComment, faults == m_faults.end() ? none : faults->second);
        coloured->commentRunsOn = inComment;
        block.setUserData(coloured);
        // A comment opened or closed here colours the lines below otherwise.
        if (known && ranOn != inComment)
            viewport()->update();
    }
    m_commentRunsOn[std::size_t(number)] = coloured->commentRunsOn;
    m_commentsKnown = std::max(m_commentsKnown, number + 1);
    return coloured->spans;
}

// One line drawn: placeholders' backgrounds, then each run of characters of
// one colour, then a wavy line under each fault.
void PatchTextEdit::drawColoured(QPainter &painter, const QTextBlock &block, const QPointF &offset,
                                 const std::vector<PatchColours::Span> &spans, const QColor &text)
{
    const QTextLayout &layout = *block.layout();
    const QTextLine line = layout.lineAt(0);
    const QPointF origin = offset + layout.position();
    const int length = block.length() - 1; // its text, and not the paragraph's end
    const auto x = [&](int at) { return origin.x() + line.cursorToX(at); };
    // The role that colours each character; a blank takes its neighbour's,
    // as its colour shows nowhere and each run of one colour costs a look-up.
    std::array<PatchColours::Role, 512> small;
    std::vector<PatchColours::Role> large;
    PatchColours::Role *ink = length <= int(small.size()) ? small.data() : (large.resize(std::size_t(length)), large.data());
    std::fill(ink, ink + length, PatchColours::Placeholder);
    for (const PatchColours::Span &span : spans) {
        const int from = std::clamp(span.from, 0, length), to = std::clamp(span.from + span.length, 0, length);
        if (span.role == PatchColours::Placeholder)
            painter.fillRect(QRectF(x(from), origin.y() + line.y(), x(to) - x(from), line.height()), m_colours.placeholderBackground());
        if (span.role != PatchColours::Fault && span.role != PatchColours::Doubt)
            std::fill(ink + from, ink + to, span.role);
    }
    const QString content = block.text();
    for (int at = 1; at < length; ++at) {
        if (content[at].isSpace())
            ink[at] = ink[at - 1];
    }
    // The line's glyphs taken once, each run of one colour by where it stands.
    const QList<QGlyphRun> runs = layout.glyphRuns(0, length);
    for (int from = 0; from < length;) {
        int to = from + 1;
        while (to < length && ink[to] == ink[from])
            ++to;
        const qreal left = line.cursorToX(from), right = line.cursorToX(to);
        painter.setPen(ink[from] == PatchColours::Placeholder ? text : m_colours.ink(ink[from]));
        for (const QGlyphRun &run : runs) {
            const QList<QPointF> positions = run.positions();
            const QList<quint32> indexes = run.glyphIndexes();
            qsizetype first = 0;
            while (first < positions.size() && positions[first].x() < left - 0.01)
                ++first;
            qsizetype last = first;
            while (last < positions.size() && positions[last].x() < right - 0.01)
                ++last;
            if (last == first)
                continue;
            QGlyphRun part = run;
            part.setGlyphIndexes(indexes.mid(first, last - first));
            part.setPositions(positions.mid(first, last - first));
            painter.drawGlyphRun(origin, part);
        }
        from = to;
    }
    for (const PatchColours::Span &span : spans) {
        if (span.role != PatchColours::Fault && span.role != PatchColours::Doubt)
            continue;
        const int from = std::clamp(span.from, 0, length), to = std::clamp(span.from + span.length, 0, length);
        const qreal baseline = origin.y() + line.y() + line.ascent() + 2;
        QPolygonF wave;
        for (qreal at = x(from), up = 0; at <= std::max(x(to), x(from) + 4); at += 2, up = 2 - up)
            wave << QPointF(at, baseline + up);
        painter.setPen(QPen(m_colours.ink(span.role), 1));
        painter.drawPolyline(wave);
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
