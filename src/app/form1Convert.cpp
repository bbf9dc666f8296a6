// The Convert command of the main window (Command6, menu Separate).

#include "app/form1.h"
#include "convert/BatchRun.h"
#include "doclist/InputDocumentList.h"

namespace plainora {

BatchRun& form1::batchRun()
{
    auto* run = findChild<BatchRun*>(QString(), Qt::FindDirectChildrenOnly);
    if (!run) {
        run = new BatchRun(
            *this, *m_documentList, *m_progressBar, m_conversion, m_services,
            [this] { return CheckOutputFolder(); },
            [this](int row) { return m_lists->GetDocumentPath(row); });
        run->setExitControl(findChild<QWidget*>(QStringLiteral("Command9")));
    }
    return *run;
}

void form1::Convert()
{
    batchRun().Convert();
}

} // namespace plainora
