#include "business/ui/duereminderwindow.h"

#include "business/duereminders.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/ui/actionguard.h"
#include "foundation/ui/appcontext.h"
#include "foundation/ui/recordgrid.h"
#include "ui_duereminderwindow.h"

DueReminderWindow::DueReminderWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_ydwktx>()) {
    m_ui->setupUi(this);
    showReservations(m_ui->Grid1, context, DueReminders::list(context.clock.today()));
    on(m_ui->Command1, &QPushButton::clicked, &DueReminderWindow::closeWindow);
}

DueReminderWindow::~DueReminderWindow() = default;

void showReservations(RecordGrid* grid, AppContext& context, const BoundQuery& query) {
    grid->attach(context.database, context.prompter);
    // The clerk calls these customers: name and telephone first; the row's own key means nothing to him.
    grid->setLeadingColumns({QStringLiteral("联系人"), QStringLiteral("联系电话")});
    grid->setHiddenColumns({QStringLiteral("id")});
    grid->setQuery(query);
    // A reservation made, paid, settled or cancelled, here or at another desk, shows at once; the row the
    // clerk picked stays picked.
    QObject::connect(&context.database.changes(), &ChangeNotifier::changed, grid,
                     [grid, &context](ChangeNotifier::Subject subject) {
                         if (subject == ChangeNotifier::Subject::Reservations)
                             runAction(context.prompter, [grid] { grid->reread(QStringLiteral("id")); });
                     });
}
