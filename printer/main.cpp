// pelu-print: prints documents for pelu. Each argument is the command tail TEMPLATE$#QUERY[@HEADING]
// of one document, printed in the order given, so that the papers of one action come out in their
// order; the data folder comes from --data, else PELU_DATA, as for pelu, and --operator names who
// printed, for the archive's index.
// Each document is always archived as a PDF in the data folder's prints/ (listed in
// prints/index.jsonl once complete); pelu.ini [printer] mode then says whether it also goes to a
// printer (mode=printer, the default: name= or else the default printer, when there is one) or into
// a preview window (mode=preview), or nowhere else (mode=pdf).

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/translations.h"
#include "foundation/ui/systemprinterprobe.h"
#include "printer/printerror.h"
#include "printer/printout.h"
#include "printer/printtail.h"
#include "printer/templatelibrary.h"
#include "shared/printarchive.h"
#include "shared/schema.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextStream>

namespace {

// The exit code of a failure that has no stage of its own (PrintError's codes are 1 to 4).
constexpr int unexpectedFailure = 5;

struct Arguments {
    QString dataFolder;
    QString operatorName; // who printed, for the archive's index
    QStringList tails;    // in the order they print
};

// Read by hand, before any application object exists, because the printer mode decides which one to make.
Arguments readArguments(int argc, char** argv) {
    Arguments arguments;
    QStringList positional;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--data") && i + 1 < argc)
            arguments.dataFolder = QString::fromLocal8Bit(argv[++i]);
        else if (argument == QLatin1String("--operator") && i + 1 < argc)
            arguments.operatorName = QString::fromLocal8Bit(argv[++i]);
        else
            positional << argument;
    }
    if (positional.isEmpty())
        throw PrintError(PrintError::CommandLine,
                         QStringLiteral("用法：pelu-print [--data 数据文件夹] [--operator 操作员] "
                                        "'模板名称$#查询[@标题]' …"));
    arguments.tails = positional;
    return arguments;
}

void complain(const QString& text) {
    QTextStream(stderr) << text << Qt::endl;
}

// Prints on the named printer; with no name on the default printer, or nowhere when there is none, since
// the PDF is kept anyway.
void sendToPrinter(const Printout& printout, const DataFolder::PrinterSettings& settings,
                   const QString& pdf) {
    if (!SystemPrinterProbe().available(settings.printerName)) {
        if (!settings.printerName.isEmpty())
            throw PrintError(
                PrintError::Output,
                QStringLiteral("找不到打印机“%1”，文件已保存为 PDF：%2").arg(settings.printerName, pdf));
        complain(QStringLiteral("没有可用的打印机，文件已保存为 PDF：%1").arg(pdf));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!settings.printerName.isEmpty())
        printer.setPrinterName(settings.printerName);
    printer.setDocName(printout.title);
    printout.paint(printer);
}

void preview(const Printout& printout, const DataFolder::PrinterSettings& settings) {
    QPrinter printer(QPrinter::HighResolution);
    if (!settings.printerName.isEmpty())
        printer.setPrinterName(settings.printerName);
    printer.setDocName(printout.title);
    QPrintPreviewDialog dialog(&printer);
    dialog.setWindowTitle(printout.title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&printout](QPrinter* target) {
        // An exception must not cross the dialog's event loop.
        try {
            printout.paint(*target);
        } catch (const PrintError& error) {
            complain(QStringLiteral("无法预览：") + error.message());
        }
    });
    dialog.exec();
}

// Prepares, archives and prints the document of one tail. Throws PrintError.
void printOne(const QString& tail, Database& database, const DataFolder& folder,
              const DataFolder::PrinterSettings& settings, const QString& operatorName) {
    const PrintRequest request = PrintRequest::parse(tail);
    SystemClock clock;
    const Printout printout = [&] {
        try {
            return Printout::prepare(database, TemplateLibrary(folder.templatesFolder()), request,
                                     clock.today(), {std::chrono::seconds(settings.querySeconds)});
        } catch (const DatabaseError& error) {
            throw PrintError(PrintError::Query, error.message());
        }
    }();
    const QDateTime printedAt = clock.now();
    const QString pdf = printout.archivePdf(folder.printsFolder(), printedAt);
    QTextStream(stdout) << pdf << Qt::endl;
    if (!PrintArchive::record(folder.printsFolder(), {printedAt, QFileInfo(pdf).fileName(),
                                                      printout.templateName, printout.title, operatorName}))
        complain(QStringLiteral("文件已保存为 PDF，但无法记入打印存档：%1")
                     .arg(PrintArchive::indexFile(folder.printsFolder())));

    if (settings.mode == DataFolder::PrinterMode::Printer)
        sendToPrinter(printout, settings, pdf);
    else if (settings.mode == DataFolder::PrinterMode::Preview)
        preview(printout, settings);
}

} // namespace

int main(int argc, char** argv) {
    // Every database this program opens is the office's.
    Database::useSchema(&Schema::plan());
    QCoreApplication::setApplicationName(QStringLiteral("pelu"));
    QCoreApplication::setOrganizationName(QStringLiteral("pelu"));
    try {
        const Arguments arguments = readArguments(argc, argv);
        const DataFolder folder(DataFolder::choose(arguments.dataFolder));
        folder.keepPrivate();
        PrintArchive::removeDeadParts(folder.printsFolder(), QDateTime::currentDateTime());
        const DataFolder::PrinterSettings settings = folder.printerSettings();
        for (const QString& ignored : settings.ignored)
            complain(ignored);

        // Only the preview needs a screen: without one chosen, lay out off screen, which also starts faster.
        const bool previewing = settings.mode == DataFolder::PrinterMode::Preview;
        if (!previewing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        std::unique_ptr<QGuiApplication> app = previewing ? std::make_unique<QApplication>(argc, argv)
                                                          : std::make_unique<QGuiApplication>(argc, argv);
        Translations::installChinese(*app);

        std::unique_ptr<Database> database;
        try {
            database = std::make_unique<Database>(folder.printTarget(), Database::Mode::ReadOnly);
        } catch (const DatabaseError& error) {
            throw PrintError(PrintError::Query, error.message());
        }
        // A document that cannot be printed does not keep the ones after it from paper; the code is the
        // first failure's.
        int code = 0;
        for (const QString& tail : arguments.tails) {
            try {
                printOne(tail, *database, folder, settings, arguments.operatorName);
            } catch (const PrintError& error) {
                complain(QStringLiteral("无法打印：") + error.message());
                if (code == 0)
                    code = error.stage();
            }
        }
        return code;
    } catch (const PrintError& error) {
        complain(QStringLiteral("无法打印：") + error.message());
        return error.stage();
    } catch (const std::bad_alloc&) {
        complain(QStringLiteral("无法打印：内存不足。"));
    } catch (const std::exception& error) {
        complain(QStringLiteral("无法打印：") + QString::fromLocal8Bit(error.what()));
    }
    return unexpectedFailure;
}
