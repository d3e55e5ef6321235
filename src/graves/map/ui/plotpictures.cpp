#include "graves/map/ui/plotpictures.h"

#include "graves/map/ploticonrules.h"
#include "graves/plotvocabulary.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <array>
#include <cmath>

namespace PlotPictures {

namespace {

// The meaning of each picture number of the sale map, in number order.
const std::array<Look, PlotIconRules::pictureCount> saleLooks = {{
    {Shape::Single, Colour::Free, Figure::None},            // 1
    {Shape::Double, Colour::Free, Figure::None},            // 2
    {Shape::Family, Colour::Free, Figure::None},            // 3
    {Shape::Multi, Colour::Free, Figure::None},             // 4
    {Shape::Double, Colour::Sold, Figure::None},            // 5
    {Shape::Single, Colour::Sold, Figure::None},            // 6
    {Shape::Multi, Colour::Sold, Figure::None},             // 7
    {Shape::Family, Colour::Sold, Figure::None},            // 8
    {Shape::Single, Colour::Reserved, Figure::None},        // 9
    {Shape::Double, Colour::Reserved, Figure::None},        // 10
    {Shape::Multi, Colour::Reserved, Figure::None},         // 11
    {Shape::Family, Colour::Reserved, Figure::None},        // 12
    {Shape::Single, Colour::AdvanceBought, Figure::None},   // 13
    {Shape::Double, Colour::AdvanceBought, Figure::None},   // 14
    {Shape::Multi, Colour::AdvanceBought, Figure::None},    // 15
    {Shape::Family, Colour::AdvanceBought, Figure::None},   // 16
    {Shape::Single, Colour::Sold, Figure::Person},          // 17
    {Shape::Double, Colour::Sold, Figure::Man},             // 18
    {Shape::Double, Colour::Sold, Figure::Woman},           // 19
    {Shape::Double, Colour::Sold, Figure::Two},             // 20
    {Shape::Single, Colour::AdvanceBought, Figure::Person}, // 21
    {Shape::Double, Colour::AdvanceBought, Figure::Two},    // 22
    {Shape::Double, Colour::AdvanceBought, Figure::Woman},  // 23
    {Shape::Double, Colour::AdvanceBought, Figure::Man},    // 24
}};

// The meaning of each picture number of the sold-plot map, in number order.
const std::array<Look, PlotIconRules::soldPictureCount> soldLooks = {{
    {Shape::Single, Colour::Sold, Figure::None},            // 1
    {Shape::Double, Colour::Sold, Figure::None},            // 2
    {Shape::Family, Colour::Sold, Figure::None},            // 3
    {Shape::Multi, Colour::Sold, Figure::None},             // 4
    {Shape::Single, Colour::AdvanceBought, Figure::None},   // 5
    {Shape::Double, Colour::AdvanceBought, Figure::None},   // 6
    {Shape::Multi, Colour::AdvanceBought, Figure::None},    // 7
    {Shape::Family, Colour::AdvanceBought, Figure::None},   // 8
    {Shape::Double, Colour::AdvanceBought, Figure::Two},    // 9
    {Shape::Double, Colour::AdvanceBought, Figure::Man},    // 10
    {Shape::Double, Colour::AdvanceBought, Figure::Woman},  // 11
    {Shape::Single, Colour::AdvanceBought, Figure::Person}, // 12
    {Shape::Double, Colour::Sold, Figure::Woman},           // 13
    {Shape::Double, Colour::Sold, Figure::Man},             // 14
    {Shape::Single, Colour::Sold, Figure::Person},          // 15
    {Shape::Double, Colour::Sold, Figure::Two},             // 16
    {Shape::Artistic, Colour::Sold, Figure::None},          // 17
    {Shape::Artistic, Colour::AdvanceBought, Figure::None}, // 18
}};

// A picture set's looks by number, from 1.
template <std::size_t count> QMap<int, Look> numbered(const std::array<Look, count>& looks) {
    QMap<int, Look> pictures;
    for (int number = 1; number <= int(count); ++number)
        pictures.insert(number, looks[number - 1]);
    return pictures;
}

// The legend of sold and advance-bought plots and of who is buried in them.
QList<std::pair<Look, QString>> occupancyLegend() {
    return {{{Shape::Single, Colour::Sold}, QStringLiteral("已购")},
            {{Shape::Single, Colour::AdvanceBought}, QStringLiteral("寿穴")},
            {{Shape::Single, Colour::Sold, Figure::Person}, QStringLiteral("已安葬")},
            {{Shape::Double, Colour::Sold, Figure::Man}, QStringLiteral("男")},
            {{Shape::Double, Colour::Sold, Figure::Woman}, QStringLiteral("女")},
            {{Shape::Double, Colour::Sold, Figure::Two}, QStringLiteral("两人以上")}};
}

QColor colourOf(Colour colour) {
    switch (colour) {
    case Colour::Free:
        return QColor(0x3a, 0xa0, 0x3a);
    case Colour::Reserved:
        return QColor(0xec, 0x8e, 0x16);
    case Colour::Sold:
        return QColor(0x3f, 0x6f, 0xb8);
    case Colour::AdvanceBought:
        return QColor(0x8a, 0x4f, 0xc0);
    case Colour::Withheld:
        return QColor(0x8c, 0x8c, 0x8c);
    }
    return Qt::gray;
}

// An upright stone with a rounded top.
void addStone(QPainterPath& path, qreal left, qreal top, qreal width, qreal bottom) {
    path.moveTo(left, bottom);
    path.lineTo(left, top + width / 2);
    path.arcTo(left, top, width, width, 180, -180);
    path.lineTo(left + width, bottom);
    path.closeSubpath();
}

QPainterPath stone(Shape shape) {
    QPainterPath path;
    switch (shape) {
    case Shape::Single:
        addStone(path, 9, 3, 14, 28);
        break;
    case Shape::Double: // one wide stone with two arches
        path.moveTo(3, 28);
        path.lineTo(3, 14);
        path.arcTo(3, 8, 13, 12, 180, -180);
        path.arcTo(16, 8, 13, 12, 180, -180);
        path.lineTo(29, 28);
        path.closeSubpath();
        break;
    case Shape::Family: // a house with its roof
        path.moveTo(4, 28);
        path.lineTo(4, 14);
        path.lineTo(16, 3);
        path.lineTo(28, 14);
        path.lineTo(28, 28);
        path.closeSubpath();
        break;
    case Shape::Multi: // three small stones side by side
        addStone(path, 2, 12, 8, 28);
        addStone(path, 12, 9, 8, 28);
        addStone(path, 22, 12, 8, 28);
        break;
    case Shape::Artistic: // a slender obelisk
        path.moveTo(10, 28);
        path.lineTo(12.5, 9);
        path.lineTo(16, 2);
        path.lineTo(19.5, 9);
        path.lineTo(22, 28);
        path.closeSubpath();
        break;
    }
    return path;
}

void drawStar(QPainter& painter, QPointF centre, qreal outer) {
    QPolygonF star;
    for (int corner = 0; corner < 10; ++corner) {
        const qreal radius = corner % 2 ? outer * 0.45 : outer;
        const qreal angle = -M_PI / 2 + corner * M_PI / 5;
        star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    painter.setPen(QPen(QColor(0x8a, 0x60, 0x00), 0.8));
    painter.setBrush(QColor(0xff, 0xcc, 0x00));
    painter.drawPolygon(star);
}

// A small figure standing at `foot`: round head, and trousers, a skirt or a plain body.
void drawPerson(QPainter& painter, QPointF foot, qreal height, Figure kind) {
    const QColor colour = kind == Figure::Man     ? QColor(0x1d, 0x3a, 0x8f)
                          : kind == Figure::Woman ? QColor(0xc8, 0x1e, 0x3c)
                                                  : QColor(0x20, 0x20, 0x20);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const qreal head = height * 0.28;
    painter.drawEllipse(QPointF(foot.x(), foot.y() - height + head / 2), head / 2, head / 2);
    const qreal bodyTop = foot.y() - height + head + 0.6;
    const qreal half = height * 0.22;
    if (kind == Figure::Woman) {
        painter.drawPolygon(QPolygonF{QPointF(foot.x(), bodyTop), QPointF(foot.x() - half * 1.4, foot.y()),
                                      QPointF(foot.x() + half * 1.4, foot.y())});
    } else if (kind == Figure::Man) {
        const qreal hips = bodyTop + (foot.y() - bodyTop) * 0.5;
        painter.drawRect(QRectF(foot.x() - half, bodyTop, half * 2, hips - bodyTop));
        painter.drawRect(QRectF(foot.x() - half, hips, half * 0.8, foot.y() - hips));
        painter.drawRect(QRectF(foot.x() + half * 0.2, hips, half * 0.8, foot.y() - hips));
    } else {
        painter.drawRoundedRect(QRectF(foot.x() - half, bodyTop, half * 2, foot.y() - bodyTop), half, half);
    }
}

// A red "no entry" sign: the plot is withheld from sale.
void drawWithheld(QPainter& painter) {
    const QPointF centre(24.5, 7.5);
    painter.setPen(QPen(QColor(0xd0, 0x10, 0x10), 2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 5.5, 5.5);
    painter.drawLine(centre + QPointF(-3.6, -3.6), centre + QPointF(3.6, 3.6));
}

void drawFigure(QPainter& painter, Figure figure) {
    if (figure == Figure::None)
        return;
    const QPointF centre(23.5, 22.5);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 0.8));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 8, 8);
    if (figure == Figure::Two) {
        drawPerson(painter, QPointF(20.5, 28.5), 11, Figure::Man);
        drawPerson(painter, QPointF(26.5, 28.5), 11, Figure::Woman);
    } else {
        drawPerson(painter, QPointF(centre.x(), 29), 12, figure);
    }
}

} // namespace

std::optional<Look> PictureSet::look(int number) const {
    const auto found = pictures.constFind(number);
    if (found == pictures.cend())
        return std::nullopt;
    return *found;
}

const PictureSet& sale() {
    static const PictureSet set = [] {
        PictureSet pictures{numbered(saleLooks),
                            {{{Shape::Single, Colour::Free}, QStringLiteral("未使用")},
                             {{Shape::Single, Colour::Reserved}, QStringLiteral("已预订")}}};
        pictures.legend << occupancyLegend();
        return pictures;
    }();
    return set;
}

const PictureSet& reserved() {
    static const PictureSet set = [] {
        PictureSet pictures;
        const QList<std::pair<Shape, QString>> styles = {{Shape::Single, PlotStyle::single},
                                                         {Shape::Double, PlotStyle::twin},
                                                         {Shape::Family, PlotStyle::family},
                                                         {Shape::Multi, PlotStyle::multiple},
                                                         {Shape::Artistic, PlotStyle::artistic}};
        for (int number = 1; number <= PlotIconRules::reservedPictureCount; ++number) {
            const Look look{styles.at(number - 1).first, Colour::Reserved};
            pictures.pictures.insert(number, look);
            pictures.legend << std::pair{look, styles.at(number - 1).second};
        }
        return pictures;
    }();
    return set;
}

const PictureSet& restriction() {
    static const PictureSet set = [] {
        PictureSet pictures;
        pictures.pictures = {
            {1, {Shape::Single, Colour::Free}},      {2, {Shape::Double, Colour::Free}},
            {3, {Shape::Family, Colour::Free}},      {4, {Shape::Multi, Colour::Free}},
            {13, {Shape::Single, Colour::Withheld}}, {14, {Shape::Double, Colour::Withheld}},
            {15, {Shape::Multi, Colour::Withheld}},  {16, {Shape::Family, Colour::Withheld}}};
        pictures.legend = {{{Shape::Single, Colour::Free}, PlotState::free},
                           {{Shape::Single, Colour::Withheld}, PlotState::restricted}};
        return pictures;
    }();
    return set;
}

const PictureSet& sold() {
    static const PictureSet set = [] { return PictureSet{numbered(soldLooks), occupancyLegend()}; }();
    return set;
}

QImage draw(const Look& look) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x70, 0x70, 0x70));
    painter.drawRect(QRectF(1, 28, 30, 3)); // the plinth

    const QColor colour = colourOf(look.colour);
    painter.setPen(QPen(colour.darker(170), 1));
    painter.setBrush(colour);
    painter.drawPath(stone(look.shape));

    if (look.colour == Colour::AdvanceBought)
        drawStar(painter, QPointF(6.5, 6.5), 6);
    if (look.colour == Colour::Withheld)
        drawWithheld(painter);
    drawFigure(painter, look.figure);
    return image;
}

QPixmap pixmap(const Look& look) {
    const QString key = QStringLiteral("pelu-plot-look-%1-%2-%3")
                            .arg(static_cast<int>(look.shape))
                            .arg(static_cast<int>(look.colour))
                            .arg(static_cast<int>(look.figure));
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = QPixmap::fromImage(draw(look));
        QPixmapCache::insert(key, picture);
    }
    return picture;
}

} // namespace PlotPictures
