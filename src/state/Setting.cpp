#include "state/Setting.h"

#include "state/StateFiles.h"
#include "ui/ProgramFont.h"
#include "ui/Twips.h"
#include "ui/WindowServices.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace plainora {

Setting::Setting(QString stateDirectory, WindowServices& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_stateDirectory(std::move(stateDirectory)), m_services(services)
{
    setObjectName(QStringLiteral("Setting"));
    setWindowTitle(QStringLiteral("Setting"));
    setModal(true);
    setFont(programFont());

    // The client area opens at a fixed place on the screen, whatever the owner.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    const QSize client(px(3732), px(1560));
    setGeometry(QRect(origin + QPoint(px(2760), px(3756)), client));
    setFixedSize(client);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(twipRect(360, 1080, 1215, 375));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setGeometry(twipRect(2040, 1080, 1215, 375));
    // Neither is the default button: Enter does not press either.
    for (QPushButton* button : {ok, cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    // The caption ends with a line break; the box is laid out as two lines,
    // the second one empty.
    m_check1 = new QCheckBox(QStringLiteral("Automatically save the current file\n"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setGeometry(twipRect(360, 240, 2895, 370));
    m_check2 = new QCheckBox(QStringLiteral("Automatically save the output directory"), this);
    m_check2->setObjectName(QStringLiteral("Check2"));
    m_check2->setGeometry(twipRect(360, 600, 3135, 255));
    // A caption wider than its designed box (the font at hand is not the one
    // it was laid out for) widens the box up to the dialog's margin rather
    // than being clipped.
    for (QCheckBox* box : {m_check1, m_check2}) {
        const int needed = box->sizeHint().width();
        if (needed > box->width())
            box->resize(qMin(needed, client.width() - box->x()), box->height());
    }

    setTabOrder(ok, cancel);
    setTabOrder(cancel, m_check1);
    setTabOrder(m_check1, m_check2);
    ok->setFocus();

    connect(ok, &QPushButton::clicked, this, &Setting::OKButton_Click);
    connect(cancel, &QPushButton::clicked, this, &Setting::CancelButton_Click);

    Form_Load();
}

void Setting::Form_Load()
{
    // A missing or unreadable file opens with both boxes ticked, the switches
    // that apply while the file does not exist.
    const SettingsSwitches switches = StateFiles(m_stateDirectory).ReadSwitches();
    m_check1->setChecked(switches.saveEntryList);
    m_check2->setChecked(switches.saveOutputDirectories);
}

void Setting::OKButton_Click()
{
    const StateFiles files(m_stateDirectory);
    SettingsSwitches switches;
    switches.saveEntryList = m_check1->isChecked();
    switches.saveOutputDirectories = m_check2->isChecked();
    QString error;
    if (!files.WriteSwitches(switches, &error)) {
        // The dialog stays open, so the user can try again or cancel.
        m_services.showMessage(
            tr("The settings could not be saved to \"%1\": %2.\nMake sure the folder can be written to and "
               "click OK again, or click Cancel to keep the settings as they were.")
                .arg(files.filePath(StateFiles::SettingsFileName), error),
            MessageTitle, MessageIcon::Critical);
        return;
    }
    accept();
}

void Setting::CancelButton_Click()
{
    reject();
}

void Setting::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace plainora
