#pragma once
// An invisible list of small images, numbered from 1 (the entry list's icons).

#include <QIcon>
#include <QList>
#include <QObject>

namespace plainora {

class ImageList : public QObject
{
    Q_OBJECT
public:
    ImageList(QList<QIcon> images, QObject* parent = nullptr);

    int count() const { return static_cast<int>(m_images.size()); }
    // Image number index (from 1); a null icon for a number out of range.
    QIcon image(int index) const;

private:
    QList<QIcon> m_images;
};

} // namespace plainora
