#include "web/WebPage.h"

#include <QVariantMap>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <vector>

#include "core/platform/CodePage.h"
#include "core/web/ScriptCall.h"
#include "web/WebBrowser.h"
#include "web/WebProfile.h"
#include "web/WebUIController.h"

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

namespace {

ScriptOutcome ReadOutcome(const QVariantMap& map, std::string* errors) {
  ScriptOutcome outcome;
  if (map.value(QStringLiteral("missing")).toBool()) {
    outcome.missing = true;
    *errors = std::string(kErrorPrefix) + kUnknownName;
  } else if (map.contains(QStringLiteral("threw"))) {
    outcome.error = map.value(QStringLiteral("threw")).toString();
  } else if (map.contains(QStringLiteral("value"))) {
    outcome.ok = true;
    outcome.value = map.value(QStringLiteral("value"));
  }
  return outcome;
}

}  // namespace

bool CWebPage::CallScript(const std::string& function, const char* arguments, Done done) {
  CWebUIController* page = document.isNull() ? nullptr : document->page();
  if (page == nullptr) {
    SetError(kNullPointer);
    return false;
  }
  std::vector<std::u16string> wideArgs;
  for (const std::string& token : scriptcall::SplitArguments(arguments)) {
    wideArgs.push_back(codepage::SystemToUtf16(token));
  }
  std::shared_ptr<std::string> errors = lastError;
  const std::u16string wideFunction = codepage::SystemToUtf16(function);

  if (!document->frameId().isEmpty()) {
    // A sub-frame's document, possibly of another site: the call travels through the frame's
    // own bridge.
    QStringList args;
    for (const std::u16string& arg : wideArgs) args << QString::fromStdU16String(arg);
    qCDebug(lcWeb) << "call script in a frame" << QString::fromStdU16String(wideFunction) << args;
    page->CallFrameFunction(document->frameId(), QString::fromStdU16String(wideFunction), args,
                            [errors, done](const QVariantMap& result) {
                              const ScriptOutcome outcome = ReadOutcome(result, errors.get());
                              if (done) done(outcome);
                            });
    return true;
  }

  const std::string script = scriptcall::BuildCall(wideFunction, wideArgs);
  qCDebug(lcWeb) << "call script" << QString::fromStdString(script).left(200);
  page->runJavaScript(QString::fromLatin1(script.data(), static_cast<qsizetype>(script.size())),
                      QWebEngineScript::MainWorld, [errors, done](const QVariant& result) {
                        const ScriptOutcome outcome = ReadOutcome(result.toMap(), errors.get());
                        if (done) done(outcome);
                      });
  return true;
}
