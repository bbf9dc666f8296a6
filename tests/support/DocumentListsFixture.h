#pragma once
// The entry list and the document list on two plain views, with recording
// services and a real temporary folder for the paths they name.

#include "RecordingServices.h"
#include "TempFolder.h"
#include "doclist/ImageList.h"
#include "doclist/InputDocumentList.h"

#include <QPixmap>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace plainora::test {

class DocumentListsFixture : public ::testing::Test
{
protected:
    DocumentListsFixture()
        : m_images({swatch(Qt::blue), swatch(Qt::yellow), swatch(Qt::red)}),
          m_lists(m_entries, m_documents, m_images, m_services)
    {
    }

    static QIcon swatch(Qt::GlobalColor color)
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(color);
        return QIcon(pixmap);
    }

    QStringList entries() const { return m_lists.EntryTexts(); }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < m_documents.topLevelItemCount(); ++i)
            texts.append(m_documents.topLevelItem(i)->text(0));
        return texts;
    }
    // The image number of the entry at position (from 1).
    int icon(int position) const
    {
        return InputDocumentList::EntryIconOf(*m_entries.topLevelItem(position - 1));
    }

    TempFolder m_folder;
    RecordingServices m_services;
    QTreeWidget m_entries;
    QTreeWidget m_documents;
    ImageList m_images;
    InputDocumentList m_lists;
};

} // namespace plainora::test
