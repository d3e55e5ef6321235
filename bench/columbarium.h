#pragma once

class Database;

// The shape of a generated columbarium: halls of rooms of niches on layers. Scale 1 is the size the
// office must stay quick with, 50,000 niches; a larger scale adds halls.
struct ColumbariumShape {
    int halls = 5;
    int roomsPerHall = 5;
    int nichesPerRoom = 2000;
    int layers = 20;

    static ColumbariumShape scaled(int scale) {
        ColumbariumShape shape;
        shape.halls *= scale;
        return shape;
    }
    int niches() const { return halls * roomsPerHall * nichesPerRoom; }
    // Niche fee rows of storages and renewals over twenty years.
    int feeRows() const { return 3 * niches(); }
};

namespace Columbarium {

// Fills ghjc_wz of a database with niches numbered from 1 in every room, spread evenly over the
// layers, two styles, priced by layer; three in ten are occupied. Hall names are "第N厅", rooms "1"…
void generate(Database& database, const ColumbariumShape& shape);

// Occupies nine in ten niches of the generated columbarium (45,000 at scale 1) with a storage begun
// over the twenty years 2005 to 2024 for twenty years, and adds its fee rows of storages and renewals.
void addStorages(Database& database, const ColumbariumShape& shape);

} // namespace Columbarium
