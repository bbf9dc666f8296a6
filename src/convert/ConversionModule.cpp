#include "convert/ConversionModule.h"

#include "convert/NativePath.h"
#include "ui/WindowServices.h"

#include <sys/stat.h>

namespace plainora {

bool ConversionModule::CheckOutputFolder(const QString& boxText, int selectedIndex, WindowServices& services)
{
    OutputFolder = boxText;
    if (boxText.isEmpty()) {
        services.showMessage(PleaseSelectOutputFolder, MessageTitle, MessageIcon::Information);
        return false;
    }
    // A remembered folder chosen from the list is never created again.
    if (GetPathKind(boxText) != PathKind::Folder && selectedIndex != -1) {
        services.showMessage(FolderDoesNotExist, MessageTitle, MessageIcon::Critical);
        return false;
    }
    while (OutputFolder.endsWith(QLatin1Char('/')))
        OutputFolder.chop(1);
    if (GetPathKind(OutputFolder) != PathKind::Folder && selectedIndex == -1) {
        // One level only: a missing parent, an existing file or a text of
        // separators alone (now empty) all fail here.
        const std::string native = toNativePath(OutputFolder);
        if (native.empty() || ::mkdir(native.c_str(), 0777) != 0) {
            services.showMessage(FailedToCreateFolder, MessageTitle, MessageIcon::Critical);
            return false;
        }
    }
    OutputFolder += QLatin1Char('/');
    return true;
}

} // namespace plainora
