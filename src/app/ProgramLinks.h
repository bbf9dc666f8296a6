#pragma once
// The maker's home page and support address, fixed at build time
// (PLAINORA_HOMEPAGE_URL, PLAINORA_SUPPORT_EMAIL).

#include <QString>

namespace plainora {

QString HomePageUrl();
QString SupportEmail();
// "mailto:" + the address that the About box shows.
QString MailLink();
// The home page as the About box shows it: without its scheme ("https://")
// and without a trailing "/".
QString HomePageDisplayText(const QString& url);

} // namespace plainora
