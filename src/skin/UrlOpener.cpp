#include "skin/UrlOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#include <utility>

#include "core/platform/CodePage.h"
#include "core/skin/SkinRules.h"

namespace skin {
namespace {
UrlOpener& Opener() {
  static UrlOpener opener;
  return opener;
}
}  // namespace

UrlOpener SetUrlOpener(UrlOpener opener) { return std::exchange(Opener(), std::move(opener)); }

bool OpenUrl(const std::string& address, LinkOrigin origin) {
  const std::string target = origin == LinkOrigin::Package
                                 ? PackageLinkTarget(address)
                                 : (IsOpenableLink(address) ? address : std::string());
  if (target.empty()) return false;
  if (Opener()) return Opener()(target);
  const QUrl url(QString::fromStdString(codepage::SystemToUtf8(target)), QUrl::TolerantMode);
  return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace skin
