#pragma once

#include "foundation/saveoutcome.h"
#include "graves/map/plotmapservice.h"

#include <optional>

class Database;

// Withholds free plots from sale ("限制") and releases them again, for the plots the restriction
// window shows: an area, a row, one number or a range of numbers.
class SalesRestrictionService {
public:
    explicit SalesRestrictionService(Database& database);

    // `selection` is what the window shows; none before an area, row, number or range was chosen.
    SaveOutcome restrict(const std::optional<MapFilter>& selection);
    SaveOutcome release(const std::optional<MapFilter>& selection);

private:
    SaveOutcome change(const std::optional<MapFilter>& selection, const QString& from, const QString& to,
                       const QString& nothingChosen, const QString& changed);

    Database& m_database;
};
