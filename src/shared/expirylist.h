#pragma once

#include "foundation/boundquery.h"
#include "foundation/printbridge.h"
#include "foundation/prompter.h"

#include <QDate>
#include <optional>

// The registrations whose right of use ends within some days, of the cemetery or of the columbarium.
enum class ExpiryKind {
    Plots,  // Frm_gm_gqjl, over gm_dj
    Niches, // FRM_JC_GQJL, over ghjc_dj
};

constexpr const char* expiryListWindow(ExpiryKind kind) {
    return kind == ExpiryKind::Plots ? "Frm_gm_gqjl" : "FRM_JC_GQJL";
}

namespace ExpiryList {

struct Member {
    QString title;      // the window's
    QString select;     // every registration, without a condition
    QString keyColumn;  // the position key, shown wide
    QString place;      // what the count line counts: "墓位" or "寄存位"
    QString listName;   // the template and its report-list name
    QString printTitle; // after "从…起N天内"
    // The cemetery's list prints for whoever has it in the report list.
    bool ignoresPrintFlag;
};
const Member& member(ExpiryKind kind);

constexpr int defaultDays = 30;

// The days box as typed: a whole number, blanks around it allowed.
std::optional<int> parseDays(const QString& typed);
// "请在文本框中输入正确的整数！ "
Message notAWholeNumber();

// Registrations ending on or before `today` + `days`, those ended already included; an end stored
// with a time of day counts by its date.
BoundQuery listing(ExpiryKind kind, const QDate& today, int days);
// "将在30天内到期的墓位总共有：12条"
QString countLabel(ExpiryKind kind, int days, qint64 rows);
// The contact list of what `listing` gave for `today` and `days`.
PrintJob print(ExpiryKind kind, const QDate& today, int days);

} // namespace ExpiryList
