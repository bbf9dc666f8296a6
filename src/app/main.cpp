// plainora: the desktop program.

#include "app/QtWindowServices.h"
#include "app/TerminationSignals.h"
#include "app/form1.h"
#include "dialogs/QtDialogBackend.h"
#include "state/StateDirectory.h"
#include "ui/ProgramFont.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char* argv[])
{
    // Answered before the toolkit starts, so it works without a display.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Plainora %s\n", PLAINORA_VERSION);
            return 0;
        }
    }
    plainora::TerminationSignals::Catch();

    // Takes the toolkit's own options (-platform, -display, ...) out of the arguments.
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plainora"));
    QApplication::setApplicationVersion(QStringLiteral(PLAINORA_VERSION));
    // Wayland compositors match the window to its desktop entry (name, icon) by this.
    QGuiApplication::setDesktopFileName(QStringLiteral(PLAINORA_DESKTOP_ID));
    QApplication::setFont(plainora::programFont());

    plainora::QtWindowServices services;
    plainora::form1 window(plainora::StateDirectoryForThisProgram(), services,
                           std::make_shared<plainora::QtDialogBackend>());
    QApplication::setWindowIcon(window.windowIcon());
    services.setOwner(&window);
    window.show();
    window.AddPathsFromCommandLine(QApplication::arguments());
    plainora::TerminationSignals terminationSignals;
    return application.exec();
}
