#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QRandomGenerator>
#include <QVariantMap>

#include "skin/desktop/GlobalShortcut.h"

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");
const QString kShortcutId = QStringLiteral("boss-key");

// One entry of the portal's shortcut lists: an id and its properties, a(sa{sv}).
struct PortalShortcutEntry {
  QString id;
  QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcutEntry>;

}  // namespace

Q_DECLARE_METATYPE(PortalShortcutEntry)
Q_DECLARE_METATYPE(PortalShortcutList)

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcutEntry& entry) {
  argument.beginStructure();
  argument << entry.id << entry.properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcutEntry& entry) {
  argument.beginStructure();
  argument >> entry.id >> entry.properties;
  argument.endStructure();
  return argument;
}

// The portal's trigger notation: modifiers in capitals joined by '+', then the key.
QString TriggerText(unsigned modifiers, char key) {
  QString text;
  if (modifiers & platform::GlobalShortcut::kControl) text += QStringLiteral("CTRL+");
  if (modifiers & platform::GlobalShortcut::kAlt) text += QStringLiteral("ALT+");
  if (modifiers & platform::GlobalShortcut::kShift) text += QStringLiteral("SHIFT+");
  return text + QChar::fromLatin1(key).toLower();
}

QString NewToken() {
  return QStringLiteral("launcher%1").arg(QRandomGenerator::global()->generate());
}

// The portal's answers come as Response signals on request objects it names after the caller.
class PortalShortcut : public platform::GlobalShortcut {
  Q_OBJECT

 public:
  explicit PortalShortcut(QObject* parent)
      : GlobalShortcut(parent), bus(QDBusConnection::sessionBus()) {
    qDBusRegisterMetaType<PortalShortcutEntry>();
    qDBusRegisterMetaType<PortalShortcutList>();
  }

  ~PortalShortcut() override { Unregister(); }

  bool IsRegistered() const override { return bound; }

  void Unregister() override {
    ForgetRequest();
    if (!sessionPath.isEmpty() && bus.isConnected()) {
      bus.disconnect(kPortalService, kPortalPath, kShortcutsInterface, QStringLiteral("Activated"),
                     this, SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
      bus.call(QDBusMessage::createMethodCall(kPortalService, sessionPath, kSessionInterface,
                                              QStringLiteral("Close")),
               QDBus::NoBlock);
    }
    sessionPath.clear();
    bound = false;
    stopped = true;
  }

 protected:
  void Start(unsigned modifiers, char key) override {
    trigger = TriggerText(modifiers, key);
    if (!bus.isConnected()) {
      emit Unavailable(QStringLiteral("no D-Bus session bus to reach the desktop portal"));
      return;
    }
    QDBusMessage ask = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    ask << kShortcutsInterface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
      w->deleteLater();
      if (stopped) return;
      if (w->isError()) {
        emit Unavailable(QStringLiteral("the desktop portal offers no global shortcuts (%1)")
                             .arg(w->error().message()));
        return;
      }
      CreateSession();
    });
  }

 private slots:
  void OnResponse(uint response, const QVariantMap& results) {
    const Step answered = step;
    ForgetRequest();
    if (stopped) return;
    if (response != 0) {
      emit Unavailable(answered == Step::Bind
                           ? QStringLiteral("the desktop did not grant the shortcut")
                           : QStringLiteral("the desktop portal refused a shortcut session"));
      return;
    }
    if (answered == Step::Session) {
      const QVariant handle = results.value(QStringLiteral("session_handle"));
      sessionPath = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                         : handle.toString();
      if (sessionPath.isEmpty()) {
        emit Unavailable(QStringLiteral("the desktop portal gave no shortcut session"));
        return;
      }
      bus.connect(kPortalService, kPortalPath, kShortcutsInterface, QStringLiteral("Activated"),
                  this, SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
      BindShortcut();
    } else if (answered == Step::Bind) {
      bound = true;
    }
  }

  void OnActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                   const QVariantMap&) {
    if (bound && session.path() == sessionPath && id == kShortcutId) emit Activated();
  }

 private:
  enum class Step { None, Session, Bind };

  // Listens on the request object the portal will answer on, before asking, so that no answer
  // is missed; an older portal may name another object in its reply, which is then listened to.
  QString Listen(const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    ListenAt(path);
    return path;
  }

  void ListenAt(const QString& path) {
    ForgetRequest();
    requestPath = path;
    bus.connect(kPortalService, requestPath, kRequestInterface, QStringLiteral("Response"), this,
                SLOT(OnResponse(uint, QVariantMap)));
  }

  void ForgetRequest() {
    if (requestPath.isEmpty()) return;
    bus.disconnect(kPortalService, requestPath, kRequestInterface, QStringLiteral("Response"),
                   this, SLOT(OnResponse(uint, QVariantMap)));
    requestPath.clear();
  }

  void Ask(Step next, const QString& method, const QList<QVariant>& arguments,
           const QString& token) {
    const QString expected = Listen(token);
    step = next;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kShortcutsInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, expected, method](QDBusPendingCallWatcher* w) {
              w->deleteLater();
              if (stopped) return;
              QDBusPendingReply<QDBusObjectPath> reply = *w;
              if (reply.isError()) {
                ForgetRequest();
                emit Unavailable(QStringLiteral("the desktop portal failed %1 (%2)")
                                     .arg(method, reply.error().message()));
                return;
              }
              if (reply.value().path() != expected && requestPath == expected)
                ListenAt(reply.value().path());
            });
  }

  void CreateSession() {
    const QString token = NewToken();
    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), token);
    options.insert(QStringLiteral("session_handle_token"), NewToken());
    Ask(Step::Session, QStringLiteral("CreateSession"), {options}, token);
  }

  void BindShortcut() {
    PortalShortcutEntry entry;
    entry.id = kShortcutId;
    entry.properties.insert(QStringLiteral("description"),
                            QStringLiteral("老板键：隐藏或显示游戏窗口"));
    entry.properties.insert(QStringLiteral("preferred_trigger"), trigger);
    const QString token = NewToken();
    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), token);
    Ask(Step::Bind, QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(sessionPath)),
         QVariant::fromValue(PortalShortcutList{entry}), QString(), options},
        token);
  }

  QDBusConnection bus;
  QString trigger;
  QString requestPath;
  QString sessionPath;
  Step step = Step::None;
  bool bound = false;
  bool stopped = false;
};

}  // namespace

namespace platform {
GlobalShortcut* CreatePortalShortcut(QObject* parent) { return new PortalShortcut(parent); }
}  // namespace platform

#include "GlobalShortcut_portal.moc"
