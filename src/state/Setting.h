#pragma once
// The settings dialog: two boxes that decide which lists are written back to
// their state files when the program ends. It reads "set.txt" when it opens
// and writes it only on OK.

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace plainora {

class WindowServices;

class Setting : public QDialog
{
    Q_OBJECT
public:
    // stateDirectory holds "set.txt"; services tell the user when it cannot be
    // written. Both outlive the dialog.
    Setting(QString stateDirectory, WindowServices& services, QWidget* parent = nullptr);

    QCheckBox* Check1() const { return m_check1; }
    QCheckBox* Check2() const { return m_check2; }

public slots:
    void OKButton_Click();
    void CancelButton_Click();

protected:
    // No button is the cancel button: Escape does not close the dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();

    QString m_stateDirectory;
    WindowServices& m_services;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
};

} // namespace plainora
