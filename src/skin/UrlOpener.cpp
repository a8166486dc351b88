#include "skin/UrlOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#include <utility>

#include "platform/CodePage.h"
#include "skin/SkinRules.h"

namespace skin {
namespace {
UrlOpener& Opener() {
  static UrlOpener opener;
  return opener;
}
}  // namespace

UrlOpener SetUrlOpener(UrlOpener opener) { return std::exchange(Opener(), std::move(opener)); }

bool OpenUrl(const std::string& address, LinkOrigin origin) {
  const bool allowed = origin == LinkOrigin::Package ? IsOperatorLink(address) : IsOpenableLink(address);
  if (!allowed) return false;
  if (Opener()) return Opener()(address);
  const QUrl url(QString::fromStdString(codepage::SystemToUtf8(address)), QUrl::TolerantMode);
  return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace skin
