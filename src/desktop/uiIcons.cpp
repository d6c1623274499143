#include "desktop/uiIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <functional>

namespace qm {

namespace {

using Drawing = std::function<void(QPainter&)>;

const QColor kOutline(60, 60, 60);

QPen outline(qreal width = 1.2)
{
    return QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A shape with the common outline, filled with one colour.
void drawShape(QPainter& p, const QPolygonF& shape, const QColor& fill)
{
    p.setPen(outline());
    p.setBrush(fill);
    p.drawPolygon(shape);
}

// A sheet of paper with its top right corner folded.
void drawPage(QPainter& p, const QRectF& r, qreal fold)
{
    drawShape(p,
              QPolygonF{r.topLeft(), QPointF(r.right() - fold, r.top()), QPointF(r.right(), r.top() + fold),
                        r.bottomRight(), r.bottomLeft()},
              Qt::white);
    drawShape(p,
              QPolygonF{QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                        QPointF(r.right(), r.top() + fold)},
              QColor(215, 215, 215));
}

void drawNew(QPainter& p)
{
    drawPage(p, QRectF(7, 3, 18, 26), 6);
    // A small spark: something new.
    p.setPen(QPen(QColor(230, 160, 0), 2.0, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(23, 24);
    for (int k = 0; k < 4; ++k) {
        const qreal dx = (k == 0 ? 4 : k == 1 ? -4 : 0), dy = (k == 2 ? 4 : k == 3 ? -4 : 0);
        p.drawLine(c, c + QPointF(dx, dy));
    }
    p.drawLine(c + QPointF(-2.8, -2.8), c + QPointF(2.8, 2.8));
    p.drawLine(c + QPointF(-2.8, 2.8), c + QPointF(2.8, -2.8));
}

void drawOpen(QPainter& p)
{
    // Back of the folder with its tab.
    drawShape(p,
              QPolygonF{QPointF(3, 8), QPointF(11, 8), QPointF(13, 10), QPointF(25, 10), QPointF(25, 26),
                        QPointF(3, 26)},
              QColor(214, 160, 40));
    // A sheet sticking out.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 6, 15, 12));
    // The open front flap, tilted.
    drawShape(p, QPolygonF{QPointF(7, 14), QPointF(30, 14), QPointF(25, 26), QPointF(3, 26)}, QColor(250, 205, 80));
}

void drawSave(QPainter& p)
{
    drawShape(p, QPolygonF{QPointF(4, 4), QPointF(24, 4), QPointF(28, 8), QPointF(28, 28), QPointF(4, 28)},
              QColor(40, 90, 170));
    // Metal shutter with its window.
    p.setBrush(QColor(205, 210, 220));
    p.drawRect(QRectF(9, 4, 13, 9));
    p.setBrush(QColor(40, 90, 170));
    p.drawRect(QRectF(17, 6, 3, 5));
    // Label.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 17, 16, 11));
    p.setPen(QPen(QColor(150, 150, 150), 1.0));
    p.drawLine(QPointF(10, 21), QPointF(22, 21));
    p.drawLine(QPointF(10, 24), QPointF(22, 24));
}

// A handheld radio: body, antenna, speaker grille, small display.
void drawRadio(QPainter& p, const QPointF& at)
{
    p.setPen(outline());
    p.setBrush(QColor(50, 50, 50));
    p.drawRect(QRectF(at.x() + 7, at.y(), 2.5, 8)); // antenna
    p.setBrush(QColor(75, 78, 85));
    p.drawRoundedRect(QRectF(at.x(), at.y() + 7, 11, 19), 2, 2);
    p.setBrush(QColor(150, 210, 150));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(at.x() + 2, at.y() + 9.5, 7, 4)); // display
    p.setPen(QPen(QColor(190, 190, 190), 1.0));
    for (int k = 0; k < 3; ++k)
        p.drawLine(QPointF(at.x() + 2.5, at.y() + 17 + 2.5 * k), QPointF(at.x() + 8.5, at.y() + 17 + 2.5 * k));
}

// A computer screen on a foot.
void drawComputer(QPainter& p, const QPointF& at)
{
    p.setPen(outline());
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(at.x(), at.y(), 13, 10));
    p.setBrush(QColor(70, 130, 200));
    p.drawRect(QRectF(at.x() + 1.8, at.y() + 1.8, 9.4, 6.4));
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(at.x() + 5, at.y() + 10, 3, 2.5));
    p.drawRect(QRectF(at.x() + 2, at.y() + 12.5, 9, 2));
}

// A thick arrow from `from` to `to` (horizontal).
void drawArrow(QPainter& p, qreal y, qreal from, qreal to, const QColor& colour)
{
    const qreal dir = to > from ? 1 : -1;
    const qreal head = 6;
    QPolygonF a;
    a << QPointF(from, y - 2.2) << QPointF(to - dir * head, y - 2.2) << QPointF(to - dir * head, y - 5.5) << QPointF(to, y)
      << QPointF(to - dir * head, y + 5.5) << QPointF(to - dir * head, y + 2.2) << QPointF(from, y + 2.2);
    p.setPen(QPen(colour.darker(150), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPolygon(a);
}

// The radio and the computer with an arrow for the direction of a transfer.
void drawTransfer(QPainter& p, bool toRadio, const QColor& colour)
{
    drawRadio(p, QPointF(1, 3));
    drawComputer(p, QPointF(18, 13));
    drawArrow(p, 7.5, toRadio ? 30 : 13, toRadio ? 13 : 30, colour);
}

void drawRead(QPainter& p)
{
    drawTransfer(p, false, QColor(40, 170, 60));
}

void drawWrite(QPainter& p)
{
    drawTransfer(p, true, QColor(230, 120, 20));
}

void drawPort(QPainter& p)
{
    // Cable into the back of the plug.
    p.setPen(QPen(QColor(40, 40, 40), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(16, 22);
    cable.cubicTo(16, 28, 26, 26, 29, 30);
    p.drawPath(cable);
    // D-shaped shell of a nine-pin plug.
    drawShape(p, QPolygonF{QPointF(2, 7), QPointF(30, 7), QPointF(26, 19), QPointF(6, 19)}, QColor(185, 190, 200));
    p.setBrush(QColor(120, 125, 135));
    p.drawRect(QRectF(12, 19, 8, 4));
    // Pins: five above, four below.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 170, 40));
    for (int k = 0; k < 5; ++k)
        p.drawEllipse(QPointF(7.5 + 4.25 * k, 10.8), 1.4, 1.4);
    for (int k = 0; k < 4; ++k)
        p.drawEllipse(QPointF(9.6 + 4.25 * k, 15.2), 1.4, 1.4);
}

void drawPrint(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 10)); // paper going in
    p.setBrush(QColor(170, 175, 185));
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2); // body
    p.setBrush(QColor(90, 95, 105));
    p.drawRect(QRectF(7, 19, 18, 2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 21, 14, 8)); // printed sheet
    p.setPen(QPen(QColor(130, 130, 130), 1.0));
    p.drawLine(QPointF(11, 24), QPointF(21, 24));
    p.drawLine(QPointF(11, 26.5), QPointF(19, 26.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 190, 80));
    p.drawEllipse(QPointF(25, 15.5), 1.3, 1.3); // power lamp
}

void drawHelp(QPainter& p)
{
    p.setPen(QPen(QColor(20, 70, 150), 1.2));
    p.setBrush(QColor(45, 110, 210));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    QFont f;
    f.setBold(true);
    f.setPixelSize(20);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
}

void drawExit(QPainter& p)
{
    // Door frame and the open door.
    p.setPen(outline());
    p.setBrush(QColor(235, 230, 220));
    p.drawRect(QRectF(4, 3, 16, 26));
    drawShape(p, QPolygonF{QPointF(4, 3), QPointF(13, 6), QPointF(13, 31), QPointF(4, 29)}, QColor(150, 95, 45));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 80));
    p.drawEllipse(QPointF(11, 18), 1.2, 1.2); // knob
    drawArrow(p, 16, 15, 31, QColor(210, 50, 40)); // out
}

void drawProgram(QPainter& p)
{
    p.save();
    p.translate(4, 0);
    p.scale(1.2, 1.2);
    drawRadio(p, QPointF(5, 0));
    p.restore();
}

Drawing drawingFor(const QString& key)
{
    static const struct {
        const char* key;
        void (*draw)(QPainter&);
    } kIcons[] = {
        {"FileNew", drawNew}, {"FileOpen", drawOpen}, {"FileSave", drawSave}, {"Read", drawRead}, {"Write", drawWrite},
        {"Com", drawPort},    {"Print", drawPrint},   {"Help", drawHelp},     {"Exit", drawExit},
    };
    for (const auto& i : kIcons)
        if (key == QLatin1String(i.key))
            return i.draw;
    return {};
}

// Renders the drawing at whatever size and pixel ratio is asked for, so the
// icon stays sharp on high-dpi screens; disabled icons are drawn faded.
class PaintedIconEngine : public QIconEngine {
public:
    explicit PaintedIconEngine(Drawing d) : draw_(std::move(d)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::TextAntialiasing);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.35);
        const qreal side = std::min(rect.width(), rect.height());
        painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / 32.0, side / 32.0);
        draw_(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pm(size * scale);
        pm.setDevicePixelRatio(scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }

    QIconEngine* clone() const override { return new PaintedIconEngine(draw_); }

private:
    Drawing draw_;
};

} // namespace

QIcon toolbarIcon(const QString& key)
{
    Drawing d = drawingFor(key);
    return d ? QIcon(new PaintedIconEngine(std::move(d))) : QIcon();
}

QIcon programIcon()
{
    return QIcon(new PaintedIconEngine(drawProgram));
}

} // namespace qm
