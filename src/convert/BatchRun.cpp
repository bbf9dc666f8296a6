#include "convert/BatchRun.h"

#include "convert/ConversionModule.h"
#include "convert/ResponsiveRun.h"
#include "rules/OutputNaming.h"
#include "ui/NativePath.h"
#include "ui/WindowServices.h"

#include <QProgressBar>
#include <QTreeWidget>

namespace plainora {

BatchRun::BatchRun(QWidget& window, QTreeWidget& documentList, QProgressBar& progressBar,
                   ConversionModule& module, WindowServices& services,
                   std::function<bool()> checkOutputFolder, DocumentConversion::DocumentPathOf documentPath)
    : QObject(&window), m_window(window), m_documentList(documentList), m_progressBar(progressBar),
      m_module(module), m_services(services), m_checkOutputFolder(std::move(checkOutputFolder)),
      m_documentPath(std::move(documentPath))
{
    setObjectName(QStringLiteral("BatchRun"));
}

void BatchRun::setConverterFactory(ConverterFactory* factory)
{
    m_factory = factory ? factory : &m_engineFactory;
}

void BatchRun::Convert()
{
    if (m_running)
        return;
    m_running = true;
    struct Finish
    {
        BatchRun& run;
        // Every way out leaves the progress bar at 0.
        ~Finish()
        {
            run.m_progressBar.setValue(0);
            run.m_running = false;
        }
    } finish{*this};

    const int rowCount = m_documentList.topLevelItemCount();
    if (rowCount < 1) {
        m_services.showMessage(PleaseSelectWord, MessageTitle, MessageIcon::Information);
        return;
    }
    m_progressBar.setMaximum(rowCount);
    if (!m_checkOutputFolder())
        return;

    BusyPointer busy(m_services);
    bool finished = false;
    {
        ResponsiveRun responsive(m_window, m_exitControl);
        DocumentConversion conversion(
            m_module, m_services, *m_factory, m_documentPath,
            [&responsive](const std::function<void()>& work) { responsive.runOffThread(work); });
        finished = convertTickedRows(rowCount, conversion, responsive);
    }
    // A stopped run ends with the window closing: nothing more to show.
    if (finished)
        m_services.openInShell(m_module.OutputFolder);
}

bool BatchRun::convertTickedRows(int rowCount, DocumentConversion& conversion,
                                 const ResponsiveRun& responsive)
{
    const std::string outputFolder = toNativePath(m_module.OutputFolder);
    const auto folderExists = [](const std::string& path) { return GetPathKind(path) == PathKind::Folder; };
    for (int row = 1; row <= rowCount; ++row) {
        // A row can only go away if the list changes under the run; it then
        // counts as unticked.
        const QTreeWidgetItem* item = m_documentList.topLevelItem(row - 1);
        if (item && item->checkState(0) == Qt::Checked) {
            const std::string cleaned = CleanOutputName(toNativePath(item->text(0)));
            m_module.OutputBase = fromNativePath(MakeOutputBase(outputFolder, cleaned, folderExists));
            if (conversion.ConvertDocument(row) != DocumentConversion::Converted)
                m_services.showMessage(FailureMessage(fromNativePath(cleaned)), MessageTitle,
                                       MessageIcon::Critical);
        }
        m_progressBar.setValue(row);
        // Between documents: each file is written whole or not at all.
        if (responsive.closeRequested())
            return false;
    }
    return true;
}

} // namespace plainora
