#include "convert/ConversionModule.h"

#include "rules/OutputFolder.h"
#include "ui/NativePath.h"
#include "ui/WindowServices.h"

namespace plainora {

bool ConversionModule::CheckOutputFolder(const QString& boxText, int selectedIndex, WindowServices& services)
{
    OutputFolder = boxText;
    const bool typed = selectedIndex == -1;
    const OutputFolderCheck check =
        resolveOutputFolder(toNativePath(boxText), typed ? MissingFolder::Create : MissingFolder::Refuse);
    switch (check.state) {
    case OutputFolderState::Empty:
        services.showMessage(PleaseSelectOutputFolder, MessageTitle, MessageIcon::Information);
        return false;
    case OutputFolderState::Missing:
        services.showMessage(FolderDoesNotExist, MessageTitle, MessageIcon::Critical);
        return false;
    case OutputFolderState::NotCreated:
        OutputFolder = fromNativePath(check.folder);
        services.showMessage(FailedToCreateFolder, MessageTitle, MessageIcon::Critical);
        return false;
    case OutputFolderState::Ready:
        break;
    }
    // Typed separators alone trim to nothing, and no folder is made of nothing.
    if (check.separatorsOnly && typed) {
        OutputFolder.clear();
        services.showMessage(FailedToCreateFolder, MessageTitle, MessageIcon::Critical);
        return false;
    }
    OutputFolder = fromNativePath(check.folder);
    return true;
}

} // namespace plainora
