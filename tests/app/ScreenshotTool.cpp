// plainora_screenshot OUT.png [STATE_DIR]: draws the main window, loaded from
// the state files of STATE_DIR (an empty temporary folder by default) with
// its first entry selected, into a PNG, for comparing with the layout tables.
// Runs on any platform plugin (offscreen, or xvfb-run for a real X server).

#include "RecordingServices.h"
#include "app/form1.h"
#include "dialogs/QtDialogBackend.h"
#include "doclist/EntryListView.h"
#include "doclist/InputDocumentList.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: plainora_screenshot OUT.png [STATE_DIR]\n");
        return 2;
    }
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(8.25);
    QApplication::setFont(arial);

    QTemporaryDir empty;
    plainora::test::RecordingServices services;
    plainora::form1 window(argc > 2 ? QString::fromLocal8Bit(argv[2]) : empty.path(), services,
                           std::make_shared<plainora::QtDialogBackend>());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "plainora_screenshot: the window was not exposed\n");
    if (window.ListView1()->topLevelItemCount() > 0) {
        window.inputLists().SelectPosition(1);
        window.SelectEntry();
    }
    QTest::qWait(200);
    const QPixmap shot = window.grab();
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "plainora_screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %dx%d (client %dx%d)\n", argv[1], shot.width(), shot.height(),
                window.centralWidget()->width(), window.centralWidget()->height());
    return 0;
}
