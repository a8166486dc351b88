// The boss key from the desktop portal's global shortcuts, against a stand-in portal on a
// private session bus: the whole exchange (session, binding, activation) and the refusals.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include "skin/desktop/GlobalShortcut.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// Answers as a portal does: a request object per call, its Response signal with the outcome.
class StandInPortal : public QDBusVirtualObject {
 public:
  explicit StandInPortal(QDBusConnection bus) : bus(bus) {}

  uint bindAnswer = 0;  // 0 granted, 1 the player cancelled
  QString sessionPath;
  QString boundId;
  QString boundTrigger;
  QString callerService;

  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
      connection.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
      return true;
    }
    if (message.interface() != kInterface) return false;
    callerService = message.service();
    const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().last());
    QString sender = message.service().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString request = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') +
                            options.value(QStringLiteral("handle_token")).toString();
    connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
    QVariantMap results;
    uint answer = 0;
    if (message.member() == QLatin1String("CreateSession")) {
      sessionPath = kPath + QStringLiteral("/session/") + sender + QLatin1Char('/') +
                    options.value(QStringLiteral("session_handle_token")).toString();
      results.insert(QStringLiteral("session_handle"), sessionPath);
    } else if (message.member() == QLatin1String("BindShortcuts")) {
      const QDBusArgument list = message.arguments().at(1).value<QDBusArgument>();
      list.beginArray();
      while (!list.atEnd()) {
        QString id;
        QVariantMap properties;
        list.beginStructure();
        list >> id >> properties;
        list.endStructure();
        boundId = id;
        boundTrigger = properties.value(QStringLiteral("preferred_trigger")).toString();
      }
      list.endArray();
      answer = bindAnswer;
    }
    QDBusMessage response = QDBusMessage::createSignal(
        request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    response << answer << results;
    connection.send(response);
    return true;
  }

  void Activate(const QString& id) {
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("Activated"));
    signal << QVariant::fromValue(QDBusObjectPath(sessionPath)) << id << qulonglong(0)
           << QVariantMap();
    bus.send(signal);
  }

 private:
  QDBusConnection bus;
};

QStringList logged;
void Record(QtMsgType, const QMessageLogContext& context, const QString& text) {
  logged << QString::fromLatin1(context.category) + QStringLiteral(": ") + text;
}

}  // namespace

class PortalShortcutTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(QDBusConnection::sessionBus().isConnected()); }

  // Without a portal the key is missing, said once in the log however often it is asked for.
  void withoutPortalSaidOnce() {
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(Record);
    for (int i = 0; i < 2; ++i) {
      auto* shortcut = platform::GlobalShortcut::Create(platform::GlobalShortcut::kAlt, 'D', this,
                                                        platform::GlobalShortcut::Source::Portal);
      QSignalSpy unavailable(shortcut, &platform::GlobalShortcut::Unavailable);
      QVERIFY(unavailable.wait(10000));
      QVERIFY(!shortcut->IsRegistered());
      delete shortcut;
    }
    qInstallMessageHandler(previous);
    QCOMPARE(logged.filter(QStringLiteral("launcher.bosskey")).size(), 1);
    QVERIFY(logged.filter(QStringLiteral("launcher.bosskey")).first().contains(
        QStringLiteral("no global shortcuts")));
  }

  void bindAndActivate_data() {
    QTest::addColumn<uint>("answer");
    QTest::addColumn<bool>("granted");
    QTest::newRow("granted") << 0u << true;
    QTest::newRow("cancelled by the player") << 1u << false;
    QTest::newRow("refused by the desktop") << 2u << false;
  }

  void bindAndActivate() {
    QFETCH(uint, answer);
    QFETCH(bool, granted);
    QDBusConnection portalBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal"));
    StandInPortal portal(portalBus);
    portal.bindAnswer = answer;
    QVERIFY(portalBus.registerVirtualObject(kPath, &portal, QDBusConnection::SingleNode));
    QVERIFY(portalBus.registerService(kService));

    auto* shortcut = platform::GlobalShortcut::Create(platform::GlobalShortcut::kAlt, 'D', this,
                                                      platform::GlobalShortcut::Source::Portal);
    QSignalSpy activated(shortcut, &platform::GlobalShortcut::Activated);
    QSignalSpy unavailable(shortcut, &platform::GlobalShortcut::Unavailable);
    QTRY_VERIFY_WITH_TIMEOUT(!portal.boundId.isEmpty(), 10000);
    QCOMPARE(portal.boundId, QStringLiteral("boss-key"));
    QCOMPARE(portal.boundTrigger, QStringLiteral("ALT+d"));
    if (granted) {
      QTRY_VERIFY_WITH_TIMEOUT(shortcut->IsRegistered(), 10000);
      portal.Activate(QStringLiteral("another-key"));
      portal.Activate(QStringLiteral("boss-key"));
      QVERIFY(activated.wait(10000));
      QCOMPARE(activated.size(), 1);
      QCOMPARE(unavailable.size(), 0);
      // Given back: further presses no longer reach the window.
      shortcut->Unregister();
      QVERIFY(!shortcut->IsRegistered());
      portal.Activate(QStringLiteral("boss-key"));
      QTest::qWait(300);
      QCOMPARE(activated.size(), 1);
    } else {
      QTRY_COMPARE_WITH_TIMEOUT(unavailable.size(), 1, 10000);
      QVERIFY(!shortcut->IsRegistered());
      portal.Activate(QStringLiteral("boss-key"));
      QTest::qWait(300);
      QCOMPARE(activated.size(), 0);
    }
    delete shortcut;
    portalBus.unregisterService(kService);
    portalBus.unregisterObject(kPath);
    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
  }
};

QTEST_GUILESS_MAIN(PortalShortcutTest)
#include "PortalShortcutTest.moc"
