#pragma once

class Database;

// The shape of a generated columbarium: halls of rooms of niches on layers. The default is the size
// the office must stay quick with: 50,000 niches.
struct ColumbariumShape {
    int halls = 5;
    int roomsPerHall = 5;
    int nichesPerRoom = 2000;
    int layers = 20;
    int niches() const { return halls * roomsPerHall * nichesPerRoom; }
};

namespace Columbarium {

// Fills ghjc_wz of a database with niches numbered from 1 in every room, spread evenly over the
// layers, two styles, priced by layer; three in ten are occupied. Hall names are "第N厅", rooms "1"…
void generate(Database& database, const ColumbariumShape& shape);

} // namespace Columbarium
