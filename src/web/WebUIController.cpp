#include "web/WebUIController.h"

#include <QFile>
#include <QJsonObject>
#include <QPointer>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <limits>
#include <utility>
#include <vector>

#include "web/ClientCall.h"
#include "web/PageArg.h"
#include "web/WebProfile.h"

namespace {

const QString kPolicyScriptName = QStringLiteral("launcher-policy");
const QString kExternalScriptName = QStringLiteral("launcher-external");
const QString kBridgeObjectName = QStringLiteral("launcherExternal");

// Dialog-like documents: no text selection outside editable fields, no context menu. A
// constructed style sheet needs no DOM yet, so it applies from document creation.
const char kPolicyScript[] = R"JS(
(function () {
  try {
    var sheet = new CSSStyleSheet();
    sheet.replaceSync(':root{-webkit-user-select:none;user-select:none}' +
                      'input,textarea,[contenteditable]{-webkit-user-select:text;user-select:text}');
    document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
  } catch (e) {}
  window.addEventListener('contextmenu', function (e) { e.preventDefault(); }, true);
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

// window.external with the four methods. Calls are queued in the page and sent in order, batched
// per task; the channel transport lives in the top frame only, so subframes post their batches to
// it. The channel client (qwebchannel.js) is prepended inside the same function scope.
const char kExternalScript[] = R"JS(
  if (location.protocol === 'file:') return;
  var TAG = '__launcherExternalCalls';
  var BATCH = 5000;
  var isTop = window === window.top;
  var topWindow = window.top;
  var later = window.queueMicrotask.bind(window);
  var queue = [];
  var scheduled = false;
  var sink = null;

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
    if (!sink) return;
    while (queue.length) sink(queue.splice(0, BATCH));
  }
  function schedule() {
    if (scheduled || !sink) return;
    scheduled = true;
    later(flush);
  }

  var ext = Object.create(null);
  ['JsCallClient', 'getGsName', 'getNewMsg', 'Is360Game'].forEach(function (name) {
    ext[name] = function () {
      var args = [];
      for (var i = 0; i < arguments.length; ++i) args.push(pack(arguments[i]));
      queue.push({n: name, a: args});
      schedule();
    };
  });
  Object.freeze(ext);
  try {
    Object.defineProperty(window, 'external',
                          {value: ext, writable: false, enumerable: true, configurable: false});
  } catch (e) {}

  if (!isTop) {
    sink = function (batch) {
      var message = {};
      message[TAG] = batch;
      topWindow.postMessage(message, '*');
    };
    return;
  }

  window.addEventListener('message', function (e) {
    var d = e.data;
    if (d === null || typeof d !== 'object' || !Object.prototype.hasOwnProperty.call(d, TAG)) return;
    e.stopImmediatePropagation();
    var calls = d[TAG];
    if (!Array.isArray(calls)) return;
    for (var i = 0; i < calls.length; ++i) queue.push(calls[i]);
    schedule();
  }, true);

  var attempts = 0;
  (function connect() {
    if (typeof qt === 'object' && qt && qt.webChannelTransport) {
      new QWebChannel(qt.webChannelTransport, function (channel) {
        var remote = channel.objects.)JS"
    "launcherExternal"
    R"JS(;
        sink = function (batch) { remote.deliver(batch); };
        flush();
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

QWebEngineScript MakeScript(const QString& name, const QString& source) {
  QWebEngineScript script;
  script.setName(name);
  script.setSourceCode(source);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(true);
  return script;
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

}  // namespace

ExternalBridge::ExternalBridge(CWebUIController* controller) : QObject(controller), owner(controller) {}

void ExternalBridge::deliver(const QJsonArray& calls) {
  // A local file's document never reaches the program, whatever loaded it.
  if (owner->url().isLocalFile() || owner->url().scheme() == QLatin1String("file")) return;
  pending.push_back(calls);
  emit callsReceived(static_cast<int>(calls.size()));
  // A call may close its window (deleting this page) or open a nested event loop (a message box):
  // neither may happen inside the engine's dispatch, and batches arriving meanwhile wait here so
  // that the page's order is kept.
  if (scheduled || delivering) return;
  scheduled = true;
  QMetaObject::invokeMethod(this, &ExternalBridge::DeliverPending, Qt::QueuedConnection);
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

CWebUIController::CWebUIController(QObject* parent) : QWebEnginePage(LauncherProfile(), parent) {}

CWebUIController::~CWebUIController() = default;

void CWebUIController::SetExternal(ClientCall* object) { external = object; }

void CWebUIController::Connect() {
  QWebEngineScriptCollection& collection = scripts();
  for (const QString& name : {kPolicyScriptName, kExternalScriptName}) {
    for (const QWebEngineScript& old : collection.find(name)) collection.remove(old);
  }
  settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
  collection.insert(MakeScript(kPolicyScriptName, QString::fromUtf8(kPolicyScript)));
  if (external == nullptr) {
    collection.insert(MakeScript(kExternalScriptName, QString::fromUtf8(kNoExternalScript)));
  } else {
    if (channel == nullptr) {
      channel = new QWebChannel(this);
      bridge = new ExternalBridge(this);
      channel->registerObject(kBridgeObjectName, bridge);
      setWebChannel(channel, QWebEngineScript::MainWorld);
    }
    // The channel client is wrapped with the bridge so that it adds no globals to the page.
    const QString source = QStringLiteral("(function () {\n'use strict';\nvar module;\n") +
                           ChannelClientSource() + QStringLiteral("\n") +
                           QString::fromUtf8(kExternalScript) + QStringLiteral("\n})();\n");
    collection.insert(MakeScript(kExternalScriptName, source));
  }
  connected = true;
}

bool CWebUIController::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
  bool cancel = false;
  emit NavigationRequested(url, isMainFrame, &cancel);
  qCDebug(lcWeb) << "navigation" << url << "type" << type << "main frame" << isMainFrame
                 << (cancel ? "refused" : "accepted");
  return !cancel;
}

void CWebUIController::javaScriptAlert(const QUrl& securityOrigin, const QString& msg) {
  if (silent) return;
  QWebEnginePage::javaScriptAlert(securityOrigin, msg);
}

bool CWebUIController::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) {
  if (silent) return false;
  return QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
}

bool CWebUIController::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                                        const QString& defaultValue, QString* result) {
  if (silent) return false;
  return QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
}

void CWebUIController::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                                const QString& message, int lineNumber,
                                                const QString& sourceID) {
  qCDebug(lcWeb) << "console" << level << sourceID << lineNumber << message;
}
