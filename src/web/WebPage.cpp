#include "web/WebPage.h"

#include <QVariantMap>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <vector>

#include "platform/CodePage.h"
#include "web/ScriptCall.h"
#include "web/WebBrowser.h"
#include "web/WebProfile.h"

namespace {
const char kErrorPrefix[] = "JSCall Error:\n";
const char kNullPointer[] = "NULL pointer";
const char kUnknownName[] = "Unknown name.";
}  // namespace

CWebPage::CWebPage() : lastError(std::make_shared<std::string>()) {}

CWebPage::~CWebPage() = default;

void CWebPage::SetError(const std::string& text) { *lastError = kErrorPrefix + text; }

bool CWebPage::AttachDocument(CWebPageDocument* newDocument) {
  if (newDocument == nullptr) {
    SetError(kNullPointer);
    return false;
  }
  document = newDocument;
  return true;
}

bool CWebPage::CallScript(const std::string& function, const char* arguments, Done done) {
  QWebEnginePage* page = document.isNull() ? nullptr : document->page();
  if (page == nullptr) {
    SetError(kNullPointer);
    return false;
  }
  std::vector<std::u16string> wideArgs;
  for (const std::string& token : scriptcall::SplitArguments(arguments)) {
    wideArgs.push_back(codepage::SystemToUtf16(token));
  }
  const std::string script = scriptcall::BuildCall(codepage::SystemToUtf16(function), wideArgs);
  qCDebug(lcWeb) << "call script" << QString::fromStdString(script).left(200);

  std::shared_ptr<std::string> errors = lastError;
  page->runJavaScript(QString::fromLatin1(script.data(), static_cast<qsizetype>(script.size())),
                      QWebEngineScript::MainWorld, [errors, done](const QVariant& result) {
                        ScriptOutcome outcome;
                        const QVariantMap map = result.toMap();
                        if (map.value(QStringLiteral("missing")).toBool()) {
                          outcome.missing = true;
                          *errors = std::string(kErrorPrefix) + kUnknownName;
                        } else if (map.contains(QStringLiteral("threw"))) {
                          outcome.error = map.value(QStringLiteral("threw")).toString();
                        } else if (map.contains(QStringLiteral("value"))) {
                          outcome.ok = true;
                          outcome.value = map.value(QStringLiteral("value"));
                        }
                        if (done) done(outcome);
                      });
  return true;
}
