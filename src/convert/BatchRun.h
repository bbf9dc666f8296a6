#pragma once
// The Convert command: every ticked row of the document list becomes a
// ".txt" file in the output folder, while the progress bar follows the rows;
// the output folder is opened at the end. Closing the window stops the run
// after the document being converted.

#include "convert/DocumentConversion.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QProgressBar;
class QTreeWidget;

namespace plainora {

class ConversionModule;
class ResponsiveRun;
class WindowServices;

class BatchRun : public QObject
{
    Q_OBJECT
public:
    static inline const QString PleaseSelectWord = QStringLiteral("Please select word at fast!");
    // The run's own report of a row that did not convert.
    static QString FailureMessage(const QString& outputName)
    {
        return QStringLiteral("Convert ") + outputName + QStringLiteral(" file failed!");
    }

    // window is the main window: it owns this run, stays painted during it
    // and takes no input until it ends. checkOutputFolder is the output
    // folder check on the output directory box; documentPath gives the full
    // path of a row's document (from 1), empty when there is none.
    BatchRun(QWidget& window, QTreeWidget& documentList, QProgressBar& progressBar, ConversionModule& module,
             WindowServices& services, std::function<bool()> checkOutputFolder,
             DocumentConversion::DocumentPathOf documentPath);

    // The converter of the next runs; nullptr returns to the native engine.
    // The factory must outlive the runs that use it.
    void setConverterFactory(ConverterFactory* factory);
    // The window's control that closes it (Exit): it stays usable during a
    // run, to stop it.
    void setExitControl(QWidget* control) { m_exitControl = control; }

    bool isRunning() const { return m_running; }

public slots:
    // The command itself. Does nothing when a run is already going.
    void Convert();

private:
    // False when a close of the window stopped the run.
    bool convertTickedRows(int rowCount, DocumentConversion& conversion, const ResponsiveRun& responsive);

    QWidget& m_window;
    QTreeWidget& m_documentList;
    QProgressBar& m_progressBar;
    ConversionModule& m_module;
    WindowServices& m_services;
    std::function<bool()> m_checkOutputFolder;
    DocumentConversion::DocumentPathOf m_documentPath;
    EngineConverterFactory m_engineFactory;
    ConverterFactory* m_factory = &m_engineFactory;
    QPointer<QWidget> m_exitControl;
    bool m_running = false;
};

} // namespace plainora
