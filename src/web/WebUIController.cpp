#include "web/WebUIController.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineView>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "core/platform/CodePage.h"
#include "core/platform/MessageBox.h"
#include "core/web/PageArg.h"
#include "web/ClientCall.h"
#include "web/PopupWindow.h"
#include "web/WebProfile.h"

// Resources of a static library are registered by hand; the macro must run outside a namespace.
static void RegisterBridgeScripts() { Q_INIT_RESOURCE(bridge); }

namespace {

const QString kPolicyScriptName = QStringLiteral("launcher-policy");
const QString kExternalScriptName = QStringLiteral("launcher-external");
const QString kRelayScriptName = QStringLiteral("launcher-relay");
const char kStopDialogsQuestion[] = "此网页正在连续弹出对话框。\n是否阻止此网页继续弹出对话框？";
// The name js/relay.js reaches the bridge by.
const QString kBridgeObjectName = QStringLiteral("launcherExternal");

// One of the bridge's scripts (src/web/js), compiled in as resources.
QString BridgeScript(const char* name) {
  static const bool registered = (RegisterBridgeScripts(), true);
  (void)registered;
  QFile file(QStringLiteral(":/launcher/web/") + QLatin1String(name));
  if (!file.open(QIODevice::ReadOnly)) {
    qCWarning(lcWeb) << "bridge script missing from the resources:" << name;
    return {};
  }
  return QString::fromUtf8(file.readAll());
}

QString ChannelClientSource() {
  QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
  if (!file.open(QIODevice::ReadOnly)) {
    qCWarning(lcWeb) << "qwebchannel.js is missing from the Qt resources";
    return {};
  }
  return QString::fromUtf8(file.readAll());
}

QWebEngineScript MakeScript(const QString& name, const QString& source, quint32 world) {
  QWebEngineScript script;
  script.setName(name);
  script.setSourceCode(source);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(world);
  script.setRunsOnSubFrames(true);
  return script;
}

QString NewSecret() {
  QString text;
  for (int i = 0; i < 4; ++i) text += QString::number(QRandomGenerator::system()->generate(), 16);
  return text;
}

PageArg ToPageArg(const QJsonObject& packed) {
  PageArg arg;
  const QString tag = packed.value(QStringLiteral("t")).toString();
  const QJsonValue value = packed.value(QStringLiteral("v"));
  if (tag == QLatin1String("s")) {
    arg.kind = PageArg::Kind::String;
    arg.text = value.toString().toStdString();
  } else if (tag == QLatin1String("n")) {
    arg.kind = PageArg::Kind::Number;
    arg.number = value.isDouble() ? value.toDouble() : std::numeric_limits<double>::quiet_NaN();
  } else if (tag == QLatin1String("b")) {
    arg.kind = PageArg::Kind::Boolean;
    arg.boolean = value.toBool();
  } else if (tag == QLatin1String("z")) {
    arg.kind = PageArg::Kind::Null;
  } else {
    arg.kind = PageArg::Kind::Other;
  }
  return arg;
}

// Records the address of every sub-frame document the engine requests for its page, redirects
// included: the program's own record of which documents are frames of the page.
class FrameRequestRecorder : public QWebEngineUrlRequestInterceptor {
 public:
  explicit FrameRequestRecorder(CWebUIController* page) : QWebEngineUrlRequestInterceptor(page), page(page) {}
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeSubFrame)
      page->RecordFrameAddress(info.requestUrl());
  }

 private:
  CWebUIController* page;
};

// How many sub-frame addresses a page remembers.
constexpr std::size_t kKeptFramePlaces = 4096;

std::string ToSystem(const QString& text) { return codepage::Utf16ToSystem(text.toStdU16String()); }

QString OriginText(const QUrl& url) {
  return url.toString(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                      QUrl::RemoveUserInfo | QUrl::StripTrailingSlash);
}

}  // namespace

ExternalBridge::ExternalBridge(CWebUIController* controller) : QObject(controller), owner(controller) {}

void ExternalBridge::deliver(const QJsonArray& calls, const QString& frameUrl, bool fromTop) {
  // A local file's document never reaches the program, whatever loaded it.
  if (owner->url().isLocalFile() || owner->url().scheme() == QLatin1String("file")) return;
  if (!owner->TrustsCaller(frameUrl, fromTop)) {
    const QString caller = fromTop ? owner->TopAddressText() : frameUrl;
    qCInfo(lcWeb) << "window.external calls of an untrusted document dropped:" << caller;
    emit callsRefused(caller);
    return;
  }
  pending.push_back(calls);
  emit callsReceived(static_cast<int>(calls.size()));
  // A call may close its window (deleting this page) or open a nested event loop (a message box):
  // neither may happen inside the engine's dispatch, and batches arriving meanwhile wait here so
  // that the page's order is kept.
  if (scheduled || delivering) return;
  scheduled = true;
  QMetaObject::invokeMethod(this, &ExternalBridge::DeliverPending, Qt::QueuedConnection);
}

void ExternalBridge::frameCreated(const QString& frameId, const QString& url) {
  if (owner->GetExternal() == nullptr || owner->TrustsCaller(url, false)) return;
  qCDebug(lcWeb) << "frame not trusted with window.external:" << url;
  owner->runJavaScript(QStringLiteral("window.__launcherRefuseFrame && window.__launcherRefuseFrame(") +
                           QString::fromUtf8(QJsonDocument(QJsonArray{frameId}).toJson(QJsonDocument::Compact)) +
                           QStringLiteral("[0])"),
                       QWebEngineScript::ApplicationWorld);
}

void ExternalBridge::frameComplete(const QString& frameId, const QString& url) {
  // Only documents the engine itself loaded as frames of this page count.
  if (!owner->KnowsFrameAddress(url)) {
    qCInfo(lcWeb) << "completion of a frame the engine did not load ignored:" << url;
    return;
  }
  qCDebug(lcWeb) << "frame document complete" << url;
  emit owner->FrameDocumentComplete(frameId, url);
}

void ExternalBridge::frameGone(const QString& frameId) { emit owner->FrameDocumentGone(frameId); }

void ExternalBridge::scriptResult(int callId, const QJsonObject& outcome) {
  owner->OnScriptResult(callId, outcome.toVariantMap());
}

void ExternalBridge::DeliverPending() {
  scheduled = false;
  if (delivering) return;
  delivering = true;
  QPointer<ExternalBridge> alive(this);
  while (!pending.empty()) {
    const QJsonArray batch = std::move(pending.front());
    pending.pop_front();
    for (const QJsonValue& entry : batch) {
      ClientCall* target = owner->GetExternal();
      if (target == nullptr) break;
      const QJsonObject call = entry.toObject();
      const int dispId = target->GetIDsOfNames(call.value(QStringLiteral("n")).toString().toStdString());
      if (dispId == 0) continue;
      std::vector<PageArg> args;
      const QJsonArray packedArgs = call.value(QStringLiteral("a")).toArray();
      args.reserve(static_cast<std::size_t>(packedArgs.size()));
      for (const QJsonValue& packed : packedArgs) args.push_back(ToPageArg(packed.toObject()));
      target->Invoke(dispId, args);
      if (!alive) return;
    }
  }
  delivering = false;
}

CWebUIController::CWebUIController(QObject* parent)
    : QWebEnginePage(LauncherProfile(), parent), secret(NewSecret()) {
  // Nothing is ever handed to the desktop's opener by the engine: other schemes are refused.
  settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
  settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
  // Windows open on the player's gesture only (the engine's pop-up blocker).
  settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  setUrlRequestInterceptor(new FrameRequestRecorder(this));
  connect(this, &QWebEnginePage::featurePermissionRequested, this,
          &CWebUIController::OnFeaturePermissionRequested);
  connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
          [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
  connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
          [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
  connect(this, &QWebEnginePage::quotaRequested, this,
          [](QWebEngineQuotaRequest request) { request.reject(); });
  connect(this, &QWebEnginePage::fullScreenRequested, this,
          [this](QWebEngineFullScreenRequest request) {
            bool accepted = false;
            emit PageFullScreenRequested(request.toggleOn(), &accepted);
            qCDebug(lcWeb) << "page full screen" << request.toggleOn() << "followed" << accepted;
            // Leaving is always allowed, so the page never stays in a state the window left.
            if (accepted || !request.toggleOn())
              request.accept();
            else
              request.reject();
          });
  connect(this, &QWebEnginePage::loadStarted, this, [this] {
    dialogs.Reset();
    pendingCalls.clear();
  });
}

CWebUIController::~CWebUIController() = default;

void CWebUIController::SetExternal(ClientCall* object) { external = object; }

void CWebUIController::TakeOver(const CWebUIController& old) {
  external = old.external;
  trust = old.trust;
  SetGamePage(old.gamePage);
  silent = old.silent;
  setAudioMuted(old.isAudioMuted());
  if (old.connected) Connect();
}

void CWebUIController::SetHomeAddress(const QUrl& address) {
  trust.homeAddress = ToSystem(address.toString(QUrl::FullyEncoded));
}

void CWebUIController::SetGamePage(bool on) {
  gamePage = on;
  // The game's music and effects start with the page, as in the game's own client.
  settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, !on);
  settings()->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, on);
  // Another program's address reaches the navigation decision only on the player's own gesture,
  // as the engine judges it; the decision never lets the engine open it (the host asks first).
  settings()->setUnknownUrlSchemePolicy(on ? QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction
                                           : QWebEngineSettings::DisallowUnknownUrlSchemes);
}

void CWebUIController::RecordFrameAddress(const QUrl& url) {
  std::string place = pagerules::PlaceOf(url.toString(QUrl::FullyEncoded).toStdString());
  if (place.empty() || !framePlaces.insert(place).second) return;
  framePlaceOrder.push_back(std::move(place));
  if (framePlaceOrder.size() > kKeptFramePlaces) {
    framePlaces.erase(framePlaceOrder.front());
    framePlaceOrder.pop_front();
  }
}

bool CWebUIController::KnowsFrameAddress(const QString& frameUrl) const {
  // The relay reports addresses as the document's location gives them; the engine's are encoded.
  const QString encoded = QUrl(frameUrl).toString(QUrl::FullyEncoded);
  return framePlaces.count(pagerules::PlaceOf(encoded.toStdString())) != 0;
}

pagerules::TopDocument CWebUIController::TopDocument() const {
  return {ToSystem(url().toString(QUrl::FullyEncoded)),
          ToSystem(history()->currentItem().url().toString(QUrl::FullyEncoded))};
}

QString CWebUIController::TopAddressText() const {
  const QUrl shown = url();
  const QUrl entry = history()->currentItem().url();
  if (entry.isEmpty() || entry == shown) return shown.toString();
  return shown.toString() + QStringLiteral(" (history entry ") + entry.toString() + QLatin1Char(')');
}

bool CWebUIController::TrustsCaller(const QString& frameUrl, bool fromTop) const {
  if (fromTop) return pagerules::IsTrustedTop(trust, TopDocument());
  if (!KnowsFrameAddress(frameUrl)) return false;
  return pagerules::IsTrustedFrame(trust, TopDocument(), ToSystem(QUrl(frameUrl).toString(QUrl::FullyEncoded)));
}

bool CWebUIController::TrustsOrigin(const QUrl& origin) const {
  const pagerules::TopDocument document = TopDocument();
  const std::string asked = ToSystem(origin.toString(QUrl::FullyEncoded));
  const QString wanted = OriginText(origin);
  const auto trustedUnder = [&](std::string_view top) {
    if (pagerules::IsTrustedTop(trust, top) && pagerules::IsSameSite(top, asked)) return true;
    if (pagerules::IsTrustedFrame(trust, top, asked)) return true;
    // A frame trusted by the marker in its path: an origin of a loaded frame address that holds one.
    for (const std::string& place : framePlaceOrder) {
      if (OriginText(QUrl(QString::fromStdString(place))) == wanted &&
          pagerules::IsTrustedFrame(trust, top, place))
        return true;
    }
    return false;
  };
  const std::vector<std::string_view> judged = pagerules::JudgedAddresses(document);
  return std::all_of(judged.begin(), judged.end(), trustedUnder);
}

void CWebUIController::OnFeaturePermissionRequested(const QUrl& origin, Feature feature) {
  // Pointer lock is a game's own need; every other feature stays denied at once.
  if (feature == MouseLock && gamePage && TrustsOrigin(origin)) {
    qCInfo(lcWeb) << "pointer lock granted:" << origin;
    pointerLockGranted = true;
    setFeaturePermission(origin, feature, PermissionGrantedByUser);
    return;
  }
  qCInfo(lcWeb) << "permission denied:" << feature << origin;
  setFeaturePermission(origin, feature, PermissionDeniedByUser);
}

void CWebUIController::Connect() {
  QWebEngineScriptCollection& collection = scripts();
  for (const QString& name : {kPolicyScriptName, kExternalScriptName, kRelayScriptName}) {
    for (const QWebEngineScript& old : collection.find(name)) collection.remove(old);
  }
  settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
  // Read from the resources once for every page of the process.
  static const QString policy = BridgeScript("policy.js");
  static const QString withExternal = BridgeScript("external.js");
  static const QString noExternal = BridgeScript("no-external.js");
  static const QString relay = ChannelClientSource() + QStringLiteral("\n") + BridgeScript("relay.js");
  collection.insert(MakeScript(kPolicyScriptName, policy, QWebEngineScript::MainWorld));
  collection.insert(MakeScript(kExternalScriptName, external == nullptr ? noExternal : withExternal,
                               QWebEngineScript::MainWorld));
  if (channel == nullptr) {
    channel = new QWebChannel(this);
    bridge = new ExternalBridge(this);
    channel->registerObject(kBridgeObjectName, bridge);
    setWebChannel(channel, QWebEngineScript::ApplicationWorld);
  }
  const QString source = QStringLiteral("(function () {\n'use strict';\nvar module;\nvar SECRET = '") +
                         secret + QStringLiteral("';\n") + relay + QStringLiteral("\n})();\n");
  collection.insert(MakeScript(kRelayScriptName, source, QWebEngineScript::ApplicationWorld));
  connected = true;
}

void CWebUIController::CallFrameFunction(const QString& frameId, const QString& function,
                                         const QStringList& args, ScriptDone done) {
  const int callId = nextCallId++;
  if (nextCallId > 1000000000) nextCallId = 1;
  // A frame that went away never answers: only the latest calls wait for an answer.
  if (pendingCalls.size() > 256) pendingCalls.clear();
  if (done) pendingCalls.insert(callId, std::move(done));
  const auto json = [](const QJsonArray& array) {
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
  };
  // The arguments travel as one JSON array: [frame id, call id, name, [args]].
  const QString script =
      QStringLiteral("(function(p){return !!(window.__launcherCallFrame&&"
                     "window.__launcherCallFrame(p[0],p[1],p[2],p[3]));})(") +
      json(QJsonArray{frameId, callId, function, QJsonArray::fromStringList(args)}) + QStringLiteral(")");
  QPointer<CWebUIController> self(this);
  runJavaScript(script, QWebEngineScript::ApplicationWorld, [self, callId](const QVariant& sent) {
    if (self.isNull() || sent.toBool()) return;
    // No such frame in the current top document.
    self->OnScriptResult(callId, QVariantMap{{QStringLiteral("missing"), true}});
  });
}

void CWebUIController::OnScriptResult(int callId, const QVariantMap& outcome) {
  const auto found = pendingCalls.find(callId);
  if (found == pendingCalls.end()) return;
  const ScriptDone done = found.value();
  pendingCalls.erase(found);
  done(outcome);
}

bool CWebUIController::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
  if (!pagerules::IsPageNavigationAllowed(url.toString().toStdString())) {
    qCInfo(lcWeb) << "navigation to a foreign scheme refused:" << url << "main frame" << isMainFrame;
    // The engine never hands it on. In a game or chat page it asks here only for the player's
    // own click; the host then asks the player, when the top document is trusted.
    if (gamePage && pagerules::IsTrustedTop(trust, TopDocument()))
      QMetaObject::invokeMethod(this, [this, url] { emit ExternalProgramRequested(url); }, Qt::QueuedConnection);
    return false;
  }
  bool cancel = false;
  emit NavigationRequested(url, isMainFrame, &cancel);
  qCDebug(lcWeb) << "navigation" << url << "type" << type << "main frame" << isMainFrame
                 << (cancel ? "refused" : "accepted");
  if (!cancel && !isMainFrame) RecordFrameAddress(url);
  return !cancel;
}

QWidget* CWebUIController::OwnerWindow() const {
  QWebEngineView* view = QWebEngineView::forPage(this);
  return view != nullptr ? view->window() : nullptr;
}

bool CWebUIController::ShowScriptDialog(DialogKind kind, const QUrl& securityOrigin, const QString& msg,
                                        QString* text) {
  if (dialogs.Stopped()) return false;
  QString caption = title();
  if (caption.isEmpty() || caption == url().toString()) caption = url().host();
  // A frame of another site speaks for itself, never under the game's name.
  const std::string top = ToSystem(url().toString(QUrl::FullyEncoded));
  const std::string asker = ToSystem(securityOrigin.toString(QUrl::FullyEncoded));
  if (!securityOrigin.isEmpty() && !pagerules::IsSameSite(top, asker)) caption = OriginText(securityOrigin);
  const std::string utf8Caption = caption.toStdString();
  if (dialogs.Record(QDeadlineTimer::current().deadline())) {
    if (platform::ShowMessageBox(utf8Caption, kStopDialogsQuestion, platform::MessageBoxButtons::OkCancel,
                                 OwnerWindow()) == platform::MessageBoxResult::Ok) {
      dialogs.Stop();
      return false;
    }
    dialogs.Declined();
  }
  platform::MessageBoxRequest request;
  request.caption = utf8Caption;
  request.text = msg.toStdString();
  request.buttons = kind == DialogKind::Alert ? platform::MessageBoxButtons::Ok
                                              : platform::MessageBoxButtons::OkCancel;
  request.owner = OwnerWindow();
  std::string input;
  if (kind == DialogKind::Prompt) {
    input = text->toStdString();
    request.input = &input;
  }
  const bool ok = platform::ShowMessageBox(request) == platform::MessageBoxResult::Ok;
  if (ok && kind == DialogKind::Prompt) *text = QString::fromStdString(input);
  return ok;
}

void CWebUIController::javaScriptAlert(const QUrl& securityOrigin, const QString& msg) {
  ShowScriptDialog(DialogKind::Alert, securityOrigin, msg, nullptr);
}

bool CWebUIController::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) {
  return ShowScriptDialog(DialogKind::Confirm, securityOrigin, msg, nullptr);
}

bool CWebUIController::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                                        const QString& defaultValue, QString* result) {
  QString text = defaultValue;
  if (!ShowScriptDialog(DialogKind::Prompt, securityOrigin, msg, &text)) return false;
  if (result != nullptr) *result = text;
  return true;
}

void CWebUIController::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                                const QString& message, int lineNumber,
                                                const QString& sourceID) {
  qCDebug(lcWeb) << "console" << level << sourceID << lineNumber << message;
}

QWebEnginePage* CWebUIController::createWindow(WebWindowType type) {
  if (static_cast<std::size_t>(CPopupWindow::OpenCount()) >= pagerules::kMaxPopupWindows) {
    qCInfo(lcWeb) << "new window refused: already" << CPopupWindow::OpenCount() << "open";
    return nullptr;
  }
  qCDebug(lcWeb) << "new window" << type << "from" << url();
  auto* window = new CPopupWindow();
  return window->page();
}

int CWebUIController::OpenPopupCount() { return CPopupWindow::OpenCount(); }
