#pragma once

#include <QImage>
#include <QList>
#include <QMap>
#include <QPixmap>
#include <QString>
#include <optional>

// The pictures of the plot maps, drawn here: the stone's shape tells the style (single, double,
// family, multi-person, artistic), its colour the state (free green, reserved orange, sold blue,
// advance-bought purple with a gold star, withheld from sale grey with a red sign), and a figure in
// a white disc who is buried (a person, a man, a woman, two).
namespace PlotPictures {

constexpr int size = 32;

enum class Shape { Single, Double, Family, Multi, Artistic };
enum class Colour { Free, Reserved, Sold, AdvanceBought, Withheld };
enum class Figure { None, Person, Man, Woman, Two };

struct Look {
    Shape shape = Shape::Single;
    Colour colour = Colour::Free;
    Figure figure = Figure::None;
};

// A map's pictures by the numbers of its icon rule, and its legend: a few looks with what they mean.
struct PictureSet {
    QMap<int, Look> pictures;
    QList<std::pair<Look, QString>> legend;

    std::optional<Look> look(int number) const;
};

const PictureSet& sale();
const PictureSet& reserved();
// The same numbers as the sale map's free and advance-bought plots, drawn as free and withheld.
const PictureSet& restriction();
// The sold plots, advance-bought or not, by who is buried in them.
const PictureSet& sold();

QImage draw(const Look& look);
// The same as a pixmap, drawn once and then kept in the pixmap cache.
QPixmap pixmap(const Look& look);

} // namespace PlotPictures
