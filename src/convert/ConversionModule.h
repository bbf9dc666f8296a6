#pragma once
// The conversion subsystem's module-level state and the output folder check.

#include <QString>

namespace plainora {

class WindowServices;

class ConversionModule
{
public:
    static inline const QString PleaseSelectOutputFolder = QStringLiteral("Please select output folder");
    static inline const QString FolderDoesNotExist = QStringLiteral("Folder does not exist!");
    static inline const QString FailedToCreateFolder = QStringLiteral("Failed to create folder!");

    // The output folder of the current run with exactly one trailing "/",
    // written only by CheckOutputFolder.
    QString OutputFolder;
    // The output path of the current document without extension, written by
    // the batch run for each ticked row.
    QString OutputBase;

    // The check at the start of every run, given the output directory box's
    // text and selected index (-1 when the text was typed). Refuses an empty
    // text and a remembered folder that has gone, creates a typed folder that
    // does not exist yet (its parent must exist), and leaves the folder with
    // one trailing "/" in OutputFolder. Shows the reason and returns false
    // when the folder is not usable.
    bool CheckOutputFolder(const QString& boxText, int selectedIndex, WindowServices& services);
};

} // namespace plainora
