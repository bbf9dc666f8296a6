// plainora: the desktop program.

#include "QtDialogBackend.h"
#include "QtWindowServices.h"
#include "StateDirectory.h"
#include "form1.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char* argv[])
{
    // Answered before the toolkit starts, so it works without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Plainora %s\n", PLAINORA_VERSION);
            return 0;
        }
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plainora"));
    QApplication::setApplicationVersion(QStringLiteral(PLAINORA_VERSION));
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(8.25);
    QApplication::setFont(arial);

    plainora::QtWindowServices services;
    plainora::form1 window(plainora::StateDirectoryForThisProgram(), services,
                           std::make_shared<plainora::QtDialogBackend>());
    QApplication::setWindowIcon(window.windowIcon());
    services.setOwner(&window);
    window.show();
    return application.exec();
}
