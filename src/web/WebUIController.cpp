#include "web/WebUIController.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineView>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <limits>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/MessageBox.h"
#include "web/ClientCall.h"
#include "web/PageArg.h"
#include "web/PopupWindow.h"
#include "web/WebProfile.h"

namespace {

const QString kPolicyScriptName = QStringLiteral("launcher-policy");
const QString kExternalScriptName = QStringLiteral("launcher-external");
const QString kRelayScriptName = QStringLiteral("launcher-relay");
const char kStopDialogsQuestion[] = "此网页正在连续弹出对话框。\n是否阻止此网页继续弹出对话框？";
const QString kBridgeObjectName = QStringLiteral("launcherExternal");

// Dialog-like documents: no text selection outside editable fields, no context menu. A
// constructed style sheet needs no DOM yet, so it applies from document creation. The program's
// script world asks this world to run the document's functions through the call event.
const char kPolicyScript[] = R"JS(
(function () {
  try {
    var sheet = new CSSStyleSheet();
    sheet.replaceSync(':root{-webkit-user-select:none;user-select:none}' +
                      'input,textarea,[contenteditable]{-webkit-user-select:text;user-select:text}');
    document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
  } catch (e) {}
  window.addEventListener('contextmenu', function (e) { e.preventDefault(); }, true);

  var dispatch = EventTarget.prototype.dispatchEvent;
  var Custom = CustomEvent;
  var parse = JSON.parse;
  var stringify = JSON.stringify;
  window.addEventListener('__launcher_call', function (e) {
    var request;
    try { request = parse(e.detail); } catch (x) { return; }
    if (request === null || typeof request !== 'object') return;
    var outcome;
    var f = window[request.f];
    if (typeof f !== 'function') {
      outcome = {missing: true};
    } else {
      try {
        var r = f.apply(window, Array.isArray(request.a) ? request.a : []);
        outcome = {value: (r === null || typeof r === 'object' || typeof r === 'function' ||
                           r === undefined) ? null : r};
      } catch (x) {
        outcome = {threw: String(x)};
      }
    }
    dispatch.call(window, new Custom('__launcher_result',
                                     {detail: stringify({id: request.id, r: outcome})}));
  }, true);
})();
)JS";

// window.external for a host that offers none: an object without methods, so calls throw.
const char kNoExternalScript[] = R"JS(
(function () {
  var ext = Object.freeze(Object.create(null));
  try {
    Object.defineProperty(window, 'external',
                          {value: ext, writable: false, enumerable: true, configurable: false});
  } catch (e) {}
})();
)JS";

// window.external with the four methods. Calls are queued and handed, in order and batched per
// task, to the program's script world of the same document, which relays them.
const char kExternalScript[] = R"JS(
(function () {
  'use strict';
  var dispatch = EventTarget.prototype.dispatchEvent;
  var Custom = CustomEvent;
  var stringify = JSON.stringify;
  // A local file's document never reaches the program, whatever loaded it.
  if (location.protocol === 'file:') return;
  var later = window.queueMicrotask.bind(window);
  var queue = [];
  var scheduled = false;
  // A frame the program does not trust sees the methods as an unknown one.
  var refused = false;
  window.addEventListener('__launcher_refused', function () { refused = true; }, true);

  function pack(v) {
    switch (typeof v) {
      case 'string': return {t: 's', v: v};
      case 'number': return {t: 'n', v: isFinite(v) ? v : null};
      case 'boolean': return {t: 'b', v: v};
      case 'undefined': return {t: 'u'};
      default: return v === null ? {t: 'z'} : {t: 'o'};
    }
  }
  function flush() {
    scheduled = false;
    var batch = queue;
    queue = [];
    dispatch.call(window, new Custom('__launcher_calls', {detail: stringify(batch)}));
  }

  var ext = Object.create(null);
  ['JsCallClient', 'getGsName', 'getNewMsg', 'Is360Game'].forEach(function (name) {
    ext[name] = function () {
      if (refused) throw new TypeError("Object doesn't support property or method '" + name + "'");
      var args = [];
      for (var i = 0; i < arguments.length; ++i) args.push(pack(arguments[i]));
      queue.push({n: name, a: args});
      if (!scheduled) {
        scheduled = true;
        later(flush);
      }
    };
  });
  Object.freeze(ext);
  try {
    Object.defineProperty(window, 'external',
                          {value: ext, writable: false, enumerable: true, configurable: false});
  } catch (e) {}
})();
)JS";

// The program's own script world of every frame (page scripts cannot reach it). The top frame
// holds the channel to the program; a sub-frame reports its completion and relays its
// window.external calls to the top frame by a postMessage tagged with this page's secret and its
// own address, and runs the functions the program calls in it. The top frame passes on what
// carries the secret and comes from the origin of the address it names; the program decides
// which frames it trusts. The channel client (qwebchannel.js) is prepended in the same scope.
const char kRelayScript[] = R"JS(
  var TAG = '__launcherRelay';
  var BATCH = 5000;
  var isTop = window === window.top;
  // The address this document was created at, taken before any of the page's scripts ran: a
  // document may change its own location afterwards (a fragment, history.replaceState).
  var createdAt = location.href;
  var frameId = (function () {
    var parts = new Uint32Array(4);
    crypto.getRandomValues(parts);
    return Array.prototype.join.call(parts, '-');
  })();
  function here() { return createdAt; }
  function message(body) {
    body.s = SECRET;
    var m = {};
    m[TAG] = body;
    return m;
  }
  function toTop(body) {
    try { window.top.postMessage(message(body), '*'); } catch (e) {}
  }
  function tagged(e) {
    var d = e.data;
    if (d === null || typeof d !== 'object' || !Object.prototype.hasOwnProperty.call(d, TAG)) return null;
    e.stopImmediatePropagation();
    var m = d[TAG];
    return m !== null && typeof m === 'object' && m.s === SECRET ? m : null;
  }

  if (!isTop) {
    window.addEventListener('__launcher_calls', function (e) {
      var calls;
      try { calls = JSON.parse(e.detail); } catch (x) { return; }
      if (Array.isArray(calls)) toTop({k: 'calls', href: here(), c: calls});
    }, true);
    // The engine grants the mouse to the page as a whole: a frame the program does not trust
    // gives it back at once.
    var refusedHere = false;
    document.addEventListener('pointerlockchange', function () {
      if (refusedHere && document.pointerLockElement) document.exitPointerLock();
    }, true);
    toTop({k: 'hello', href: here(), id: frameId});
    window.addEventListener('load', function () {
      toTop({k: 'complete', href: here(), id: frameId});
    });
    window.addEventListener('pagehide', function () {
      toTop({k: 'gone', href: here(), id: frameId});
    });
    window.addEventListener('message', function (e) {
      var d = e.data;
      if (d === null || typeof d !== 'object' || !Object.prototype.hasOwnProperty.call(d, TAG)) return;
      e.stopImmediatePropagation();
      var m = d[TAG];
      if (m === null || typeof m !== 'object' || m.to !== frameId || e.source !== window.top) return;
      if (m.k === 'refused') {
        refusedHere = true;
        if (document.pointerLockElement) document.exitPointerLock();
        window.dispatchEvent(new CustomEvent('__launcher_refused'));
        return;
      }
      if (m.k !== 'call' || m.s !== SECRET) return;
      var answer = null;
      var listener = function (r) {
        var result;
        try { result = JSON.parse(r.detail); } catch (x) { return; }
        if (result && result.id === m.call) answer = result.r;
      };
      window.addEventListener('__launcher_result', listener, true);
      window.dispatchEvent(new CustomEvent('__launcher_call',
                                           {detail: JSON.stringify({id: m.call, f: m.f, a: m.a})}));
      window.removeEventListener('__launcher_result', listener, true);
      toTop({k: 'result', href: here(), call: m.call, r: answer || {}});
    }, true);
    return;
  }

  var remote = null;
  var waiting = [];
  var frames = Object.create(null);
  function send(job) {
    if (remote) job(remote); else waiting.push(job);
  }
  function relay(calls, href, fromTop) {
    for (var i = 0; i < calls.length; i += BATCH) {
      (function (batch) {
        send(function (r) { r.deliver(batch, href, fromTop); });
      })(calls.slice(i, i + BATCH));
    }
  }

  window.addEventListener('__launcher_calls', function (e) {
    var calls;
    try { calls = JSON.parse(e.detail); } catch (x) { return; }
    if (Array.isArray(calls)) relay(calls, here(), true);
  }, true);

  window.addEventListener('message', function (e) {
    var m = tagged(e);
    if (!m || typeof m.href !== 'string') return;
    var origin;
    try { origin = new URL(m.href).origin; } catch (x) { return; }
    if (origin !== e.origin || origin === 'null') return;
    if (m.k === 'calls' && Array.isArray(m.c)) {
      relay(m.c, m.href, false);
    } else if (m.k === 'hello' && typeof m.id === 'string') {
      frames[m.id] = {w: e.source, o: origin};
      send(function (r) { r.frameCreated(m.id, m.href); });
    } else if (m.k === 'complete' && typeof m.id === 'string') {
      frames[m.id] = {w: e.source, o: origin};
      send(function (r) { r.frameComplete(m.id, m.href); });
    } else if (m.k === 'gone' && typeof m.id === 'string') {
      var known = frames[m.id];
      if (known && known.w === e.source) delete frames[m.id];
      send(function (r) { r.frameGone(m.id); });
    } else if (m.k === 'result' && typeof m.call === 'number') {
      var outcome = m.r !== null && typeof m.r === 'object' ? m.r : {};
      send(function (r) { r.scriptResult(m.call, outcome); });
    }
  }, true);

  // Not secret-tagged: the frame is not trusted with the secret. It takes this from the top only.
  window.__launcherRefuseFrame = function (id) {
    var f = frames[id];
    if (!f) return;
    var m = {};
    m[TAG] = {k: 'refused', to: id};
    try { f.w.postMessage(m, f.o); } catch (e) {}
  };

  window.__launcherCallFrame = function (id, call, name, args) {
    var f = frames[id];
    if (!f) return false;
    try {
      f.w.postMessage(message({k: 'call', to: id, call: call, f: name, a: args}), f.o);
    } catch (e) {
      return false;
    }
    return true;
  };

  var attempts = 0;
  (function connect() {
    if (typeof qt === 'object' && qt && qt.webChannelTransport) {
      new QWebChannel(qt.webChannelTransport, function (channel) {
        remote = channel.objects.)JS"
    "launcherExternal"
    R"JS(;
        var jobs = waiting;
        waiting = [];
        jobs.forEach(function (job) { job(remote); });
      });
    } else if (++attempts < 1000) {
      setTimeout(connect, 10);
    }
  })();
)JS";

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
    qCInfo(lcWeb) << "window.external calls of an untrusted document dropped:"
                  << (fromTop ? owner->url().toString() : frameUrl);
    emit callsRefused(fromTop ? owner->url().toString() : frameUrl);
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

bool CWebUIController::TrustsCaller(const QString& frameUrl, bool fromTop) const {
  const std::string top = ToSystem(url().toString(QUrl::FullyEncoded));
  if (fromTop) return pagerules::IsTrustedTop(trust, top);
  if (!KnowsFrameAddress(frameUrl)) return false;
  return pagerules::IsTrustedFrame(trust, top, ToSystem(QUrl(frameUrl).toString(QUrl::FullyEncoded)));
}

bool CWebUIController::TrustsOrigin(const QUrl& origin) const {
  const std::string top = ToSystem(url().toString(QUrl::FullyEncoded));
  const std::string asked = ToSystem(origin.toString(QUrl::FullyEncoded));
  if (pagerules::IsTrustedTop(trust, top) && pagerules::IsSameSite(top, asked)) return true;
  if (pagerules::IsTrustedFrame(trust, top, asked)) return true;
  // A frame trusted by the marker in its path: an origin of a loaded frame address that holds one.
  const QString wanted = OriginText(origin);
  for (const std::string& place : framePlaceOrder) {
    if (OriginText(QUrl(QString::fromStdString(place))) == wanted &&
        pagerules::IsTrustedFrame(trust, top, place))
      return true;
  }
  return false;
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
  collection.insert(
      MakeScript(kPolicyScriptName, QString::fromUtf8(kPolicyScript), QWebEngineScript::MainWorld));
  collection.insert(MakeScript(kExternalScriptName,
                               QString::fromUtf8(external == nullptr ? kNoExternalScript : kExternalScript),
                               QWebEngineScript::MainWorld));
  if (channel == nullptr) {
    channel = new QWebChannel(this);
    bridge = new ExternalBridge(this);
    channel->registerObject(kBridgeObjectName, bridge);
    setWebChannel(channel, QWebEngineScript::ApplicationWorld);
  }
  const QString source = QStringLiteral("(function () {\n'use strict';\nvar module;\nvar SECRET = '") +
                         secret + QStringLiteral("';\n") + ChannelClientSource() + QStringLiteral("\n") +
                         QString::fromUtf8(kRelayScript) + QStringLiteral("\n})();\n");
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
    if (gamePage && pagerules::IsTrustedTop(trust, ToSystem(this->url().toString(QUrl::FullyEncoded))))
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
