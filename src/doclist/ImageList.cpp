#include "doclist/ImageList.h"

namespace plainora {

ImageList::ImageList(QList<QIcon> images, QObject* parent) : QObject(parent), m_images(std::move(images)) {}

QIcon ImageList::image(int index) const
{
    return index >= 1 && index <= count() ? m_images.at(index - 1) : QIcon();
}

} // namespace plainora
