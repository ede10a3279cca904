#include "stateicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace {

// Drawn on a 16 by 16 grid, at each size a list may ask for.
void draw(QPainter &p, PatchState state)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QPen white(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (state) {
    case PatchState::Applied: // a green disc with a tick
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2E, 0x7D, 0x32));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(white);
        p.drawPolyline(QPolygonF({{4.5, 8.2}, {7, 10.8}, {11.5, 5.2}}));
        break;
    case PatchState::NotApplied: // a blue ring: room for the patch
        p.setPen(QPen(QColor(0x15, 0x65, 0xC0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        break;
    case PatchState::PartlyApplied: { // an orange ring, half filled
        const QColor orange(0xE6, 0x51, 0x00);
        p.setPen(QPen(orange, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.setPen(Qt::NoPen);
        p.setBrush(orange);
        p.drawPie(QRectF(2, 2, 12, 12), 90 * 16, 180 * 16);
        break;
    }
    case PatchState::DoesNotFit: { // a red diamond with a cross
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xC6, 0x28, 0x28));
        p.drawPolygon(QPolygonF({{8, 0.5}, {15.5, 8}, {8, 15.5}, {0.5, 8}}));
        p.setPen(white);
        p.drawLine(QPointF(5.6, 5.6), QPointF(10.4, 10.4));
        p.drawLine(QPointF(10.4, 5.6), QPointF(5.6, 10.4));
        break;
    }
    case PatchState::Contradictory: { // a red diamond's outline with an exclamation mark
        const QColor red(0xC6, 0x28, 0x28);
        p.setPen(QPen(red, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(QPolygonF({{8, 1}, {15, 8}, {8, 15}, {1, 8}}));
        p.setPen(QPen(red, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 5), QPointF(8, 9));
        p.drawPoint(QPointF(8, 11.8));
        break;
    }
    case PatchState::Outside: // a grey triangle pointing past the end
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x54, 0x6E, 0x7A));
        p.drawPolygon(QPolygonF({{3, 1.5}, {14.5, 8}, {3, 14.5}}));
        break;
    case PatchState::NoRecords:
        break;
    }
}

const QColor violet(0x6A, 0x1B, 0x9A);

void drawOtherPhoneCorner(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(violet);
    p.drawRoundedRect(QRectF(8.5, 8.5, 7, 7), 1.5, 1.5);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 12), QPointF(13.5, 12));
}

void drawOtherPhone(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(violet);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
}

void drawWritesNothing(QPainter &p)
{
    const QColor amber(0xA8, 0x61, 0x00);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(amber, 1.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(amber);
    for (const qreal x : {4.5, 8.0, 11.5})
        p.drawEllipse(QPointF(x, 8), 1.3, 1.3);
}

// Drawn on a 16 by 16 grid at each size a list may ask for.
template <typename Draw>
QIcon drawnIcon(Draw draw)
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.scale(size / 16.0, size / 16.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon stateIcon(PatchState state)
{
    if (state == PatchState::NoRecords)
        return blankIcon();
    return drawnIcon([state](QPainter &p) { draw(p, state); });
}

QIcon stateIconForAnotherPhone(PatchState state)
{
    if (state == PatchState::NoRecords)
        return otherPhoneIcon();
    return drawnIcon([state](QPainter &p) {
        draw(p, state);
        drawOtherPhoneCorner(p);
    });
}

QIcon otherPhoneIcon()
{
    return drawnIcon(drawOtherPhone);
}

QIcon writesNothingIcon()
{
    return drawnIcon(drawWritesNothing);
}

namespace {

QIcon drawnLineMark(LineMark mark)
{
    switch (mark) {
    case LineMark::Applied:
        return stateIcon(PatchState::Applied);
    case LineMark::Fits:
        return stateIcon(PatchState::NotApplied);
    case LineMark::DoesNotFit:
        return stateIcon(PatchState::DoesNotFit);
    case LineMark::Outside:
        return stateIcon(PatchState::Outside);
    case LineMark::Rewritten:
        return stateIcon(PatchState::Contradictory);
    case LineMark::Placeholder:
        return writesNothingIcon();
    case LineMark::Unchanged:
        return drawnIcon([](QPainter &p) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(0x61, 0x61, 0x61), 2));
            p.drawEllipse(QRectF(2, 2, 12, 12));
            p.drawLine(QPointF(5, 8), QPointF(11, 8));
        });
    case LineMark::Unreadable:
        return drawnIcon([](QPainter &p) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xB7, 0x1C, 0x1C));
            p.drawEllipse(QRectF(1, 1, 14, 14));
            p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
        });
    case LineMark::Doubt:
        return drawnIcon([](QPainter &p) {
            const QColor amber(0xC7, 0x7C, 0x02);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(amber, 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(2, 2, 12, 12));
            p.setPen(Qt::NoPen);
            p.setBrush(amber);
            p.drawEllipse(QPointF(8, 8), 2, 2);
        });
    }
    return blankIcon();
}

} // namespace

QIcon lineMarkIcon(LineMark mark)
{
    // Drawn once: the margin paints a mark for each line in view at every key press.
    static std::array<QIcon, int(LineMark::Unchanged) + 1> drawn;
    QIcon &icon = drawn[std::size_t(mark)];
    if (icon.isNull())
        icon = drawnLineMark(mark);
    return icon;
}

QIcon blankIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return QIcon(pixmap);
}
