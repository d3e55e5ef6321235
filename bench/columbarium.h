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

constexpr int feeRows = 150000;
// Occupies nine in ten niches of the generated columbarium (45,000 of the default one) with a storage
// begun over the twenty years 2005 to 2024 for twenty years, and adds 150,000 niche fee rows of storages
// and renewals.
void addStorages(Database& database, const ColumbariumShape& shape);

} // namespace Columbarium
