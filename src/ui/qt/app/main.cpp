// The window program: the main window over the shared state, with the
// system's time zone, the Wine registry, the running processes and the
// printer; its load runs the start-up and its close the shutdown.
#include <QApplication>
#include <QByteArray>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>
#include <csignal>

#include "app/done_sound.hpp"
#include "app/help_text.hpp"
#include "app/linux_folders.hpp"
#include "app/proc_processes.hpp"
#include "app/startup.hpp"
#include "app/system_time_zone.hpp"
#include "app/wine_registry.hpp"
#include "common/state.hpp"
#include "ui/options_menu.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/qt_printer.hpp"

int main(int argc, char** argv) {
    // A file size limit makes a write fail (and be told) instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelicard"));
    QApplication::setApplicationVersion(QStringLiteral(PELICARD_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("pelicard"));
    // The program speaks French, and so do Qt's own dialogs and buttons
    // (file and printer dialogs, Oui/Non) when the translations are there.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QTranslator qtFrench;
    if (qtFrench.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    pelicard::State s;
    pelicard::SystemTimeZone timeZone;
    pelicard::WineRegistry registry(pelicard::WinePrefixPath());
    pelicard::ProcProcesses processes;
    pelicard::QtPrinter printer;
    s.timeZone = &timeZone;
    s.registry = &registry;
    s.processes = &processes;
    s.printer = &printer;
    printer.WatchStore(&s);

    pelicard::qt::MainWindow window(s);
    window.SetPrinter(&printer);
    const std::string& wav = pelicard::DoneSoundWav();
    window.SetDoneSound(QByteArray(wav.data(), static_cast<qsizetype>(wav.size())));
    window.SetHelpHtml(QString::fromStdString(pelicard::HelpHtml()));
    // Start-up, then the menu shows the options in force.
    window.onLoad = [](pelicard::State& st) {
        if (pelicard::StartUp(st)) pelicard::ShowOptionsState(st);
    };
    window.onUnload = [](pelicard::State& st) { pelicard::Shutdown(st); };
    window.Load();
    if (s.Quitting) return 0;
    return QApplication::exec();
}
