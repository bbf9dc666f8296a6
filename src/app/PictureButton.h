#pragma once
// A push button that shows its picture centred above its caption, at the
// picture size it is given, whatever the button's own size.

#include <QPushButton>

namespace plainora {

class PictureButton : public QPushButton
{
    Q_OBJECT
public:
    PictureButton(const QIcon& picture, int pictureSize, const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace plainora
