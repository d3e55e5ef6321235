#include "admin/ui/importwindow.h"

#include "foundation/database.h"
#include "foundation/prompter.h"
#include "ui_importwindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString caption = QStringLiteral("导入数据");
const QString csvFilter = QStringLiteral("CSV 文件 (*.csv)");

} // namespace

ImportWindow::ImportWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_drsj>()),
      m_service(context.database, context.session, context.dataFolder, context.clock) {
    m_ui->setupUi(this);
    m_ui->report_grid->attach(context.database, context.prompter);
    int line = 0;
    for (const QString& table : ImportService::tables()) {
        auto* path = new QLineEdit(this);
        path->setObjectName(QStringLiteral("file_") + table);
        auto* choose = new QPushButton(QStringLiteral("选择…"), this);
        choose->setObjectName(QStringLiteral("pick_") + table);
        m_ui->files_grid->addWidget(new QLabel(ImportService::kindTitle(table), this), line, 0);
        m_ui->files_grid->addWidget(path, line, 1);
        m_ui->files_grid->addWidget(choose, line, 2);
        ++line;
        m_paths.insert(table, path);
        on(choose, &QPushButton::clicked, [this, table] { pick(table); });
        // A check holds for the files it read: another file must be checked again.
        connect(path, &QLineEdit::textChanged, this, [this] { m_ui->import_btn->setEnabled(false); });
    }
    m_ui->report_grid->setQuery(ImportService::reportQuery({}));
    on(m_ui->template_btn, &QPushButton::clicked, &ImportWindow::saveTemplates);
    on(m_ui->export_btn, &QPushButton::clicked, &ImportWindow::exportRows);
    on(m_ui->check_btn, &QPushButton::clicked, &ImportWindow::check);
    on(m_ui->import_btn, &QPushButton::clicked, &ImportWindow::import);
    on(m_ui->close_btn, &QPushButton::clicked, &ImportWindow::closeWindow);
}

ImportWindow::~ImportWindow() = default;

QStringList ImportWindow::chosenFiles() const {
    QStringList files;
    for (const QString& table : ImportService::tables())
        if (const QString path = m_paths.value(table)->text().trimmed(); !path.isEmpty())
            files << path;
    return files;
}

void ImportWindow::pick(const QString& table) {
    const QString chosen = m_context.prompter.openFileName(
        caption, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), csvFilter);
    if (!chosen.isEmpty())
        m_paths.value(table)->setText(chosen);
}

void ImportWindow::saveEachKind(const QString& title,
                                const std::function<QByteArray(const QString&)>& bytes) {
    const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    for (const QString& table : ImportService::tables()) {
        const QString path = m_context.prompter.saveFileName(
            title, documents.filePath(table + QStringLiteral(".csv")), csvFilter);
        if (path.isEmpty())
            continue;
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes(table)) < 0 || !file.commit()) {
            showOutcome(refused({Prompter::Icon::Critical, title,
                                 QStringLiteral("无法写入文件 %1：%2")
                                     .arg(QDir::toNativeSeparators(path), file.errorString())}));
            continue;
        }
        showOutcome(done(Message{Prompter::Icon::Information, title,
                                 QStringLiteral("已保存 %1").arg(QDir::toNativeSeparators(path))}));
    }
}

void ImportWindow::saveTemplates() {
    saveEachKind(QStringLiteral("保存模板"),
                 [](const QString& table) { return ImportService::templateFile(table); });
}

void ImportWindow::exportRows() {
    saveEachKind(QStringLiteral("导出现有数据"),
                 [this](const QString& table) { return m_service.exportFile(table); });
}

void ImportWindow::showReport(const ImportService::Report& report) {
    m_ui->report_grid->setQuery(ImportService::reportQuery(report));
    if (report.clean())
        m_ui->result_label->setText(QStringLiteral("检查完毕，%1 条记录都可以导入。").arg(report.rows));
    else
        m_ui->result_label->setText(QStringLiteral("检查出 %1 个问题（见下表，可导出），请改正后再检查。")
                                        .arg(report.problems.size()));
}

void ImportWindow::check() {
    const QStringList files = chosenFiles();
    if (files.isEmpty()) {
        showOutcome(
            refused({Prompter::Icon::Exclamation, caption, QStringLiteral("请先选择要导入的文件！")}));
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const ImportService::Report report = m_service.check(files);
    QGuiApplication::restoreOverrideCursor();
    showReport(report);
    m_checked = report.clean() ? files : QStringList();
    m_ui->import_btn->setEnabled(report.clean() && report.rows > 0);
}

void ImportWindow::import() {
    if (m_checked.isEmpty() || chosenFiles() != m_checked)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const ImportService::Outcome outcome = m_service.import(m_checked);
    QGuiApplication::restoreOverrideCursor();
    showReport(outcome.report);
    m_ui->import_btn->setEnabled(false);
    m_checked.clear();
    if (outcome.imported)
        showOutcome(done(Message{Prompter::Icon::Information, caption, outcome.message}));
    else
        showOutcome(refused({Prompter::Icon::Exclamation, caption, outcome.message}));
}
