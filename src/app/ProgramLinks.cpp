#include "app/ProgramLinks.h"

#include <QRegularExpression>

namespace plainora {

QString HomePageUrl()
{
    return QStringLiteral(PLAINORA_HOMEPAGE_URL);
}

QString SupportEmail()
{
    return QStringLiteral(PLAINORA_SUPPORT_EMAIL);
}

QString MailLink()
{
    return QStringLiteral("mailto:") + SupportEmail();
}

QString HomePageDisplayText(const QString& url)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    QString text = url;
    text.remove(scheme);
    if (text.endsWith(u'/'))
        text.chop(1);
    return text;
}

} // namespace plainora
