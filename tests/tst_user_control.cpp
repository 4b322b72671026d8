#include "hyperlink/property_bag.h"
#include "hyperlink/user_control.h"

#include <QMetaMethod>
#include <QTest>

// Saved states of every kind through ReadProperties and WriteProperties are fuzzed, with their
// error numbers (fuzz/fuzz_user_control.cpp); here what a table shows best.
namespace {

struct Container : UserControlContainer {
    void PropertyChanged(const QString& name) override { notified << name; }
    FontRef AmbientFont() override { return ambient; }
    HyperlinkRef Hyperlink() override { return link; }
    QStringList notified;
    FontRef ambient = std::make_shared<FontObject>(FontObject { "Ambient", 8.25 });
    HyperlinkRef link = std::make_shared<DesktopHyperlink>();
};

// Records the keys of every WriteProperty call, and stores as the real bag does.
struct RecordingBag : PropertyBag {
    void WriteProperty(const QString& k, const QVariant& v, const QVariant& d) override
    {
        written << k;
        PropertyBag::WriteProperty(k, v, d);
    }
    QStringList written;
};

// A value as "type value": "int 0", "short -1", "font Ambient", "object none".
QString text(const QVariant& v)
{
    if (v.metaType() == QMetaType::fromType<FontRef>())
        return "font " + v.value<FontRef>()->Name;
    if (v.metaType() == QMetaType::fromType<ObjectRef>())
        return QString("object ") + (v.value<ObjectRef>() ? "set" : "none");
    return QString(v.metaType().name()) + ' ' + v.toString();
}

using Call = UserControl1::Call;

} // namespace

class tst_user_control : public QObject {
    Q_OBJECT
private slots:
    void properties_data();
    void properties();
    void saving_restoring_and_the_rest();
};

void tst_user_control::properties_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariant>("value"); // an object is assigned by Set, anything else by Let
    QTest::addColumn<QString>("initial"); // after InitProperties, and restored from no keys
    const auto font = QVariant::fromValue(std::make_shared<FontObject>(FontObject { "Other" }));
    const auto control = QVariant::fromValue(std::make_shared<QObject>());
    // clang-format off
    QTest::newRow("BackColor")     << 0x68030007 << QVariant(-16777216) << "int 0";
    QTest::newRow("ForeColor")     << 0x68030006 << QVariant(255)       << "int 0";
    QTest::newRow("Enabled")       << 0x68030005 << QVariant(true)      << "bool false";
    QTest::newRow("Font")          << -512       << font                << "font Ambient";
    QTest::newRow("BackStyle")     << 0x68030004 << QVariant(7)         << "short 0";
    QTest::newRow("BorderStyle")   << 0x68030003 << QVariant(-1)        << "short 0";
    QTest::newRow("ActiveControl") << 0x68030001 << control             << "object none";
    QTest::newRow("Zeigsmir")      << 0x68030000 << QVariant("0")       << "short 0";
    // clang-format on
}

void tst_user_control::properties()
{
    QFETCH(int, id);
    QFETCH(QVariant, value);
    QFETCH(QString, initial);
    const QString name = QTest::currentDataTag();
    QVERIFY(std::any_of(UserControl1::members.begin(), UserControl1::members.end(),
        [&](const Member& m) { return name == m.name && m.dispid == id; }));
    Container box;
    UserControl1 fresh(&box), restored(&box);
    fresh.InitProperties();
    PropertyBag empty;
    restored.ReadProperties(empty);
    QCOMPARE(text(fresh.invoke(id, Call::Get)) + " / " + text(restored.invoke(id, Call::Get)),
        initial + " / " + initial);
    // Every write notifies, also of the value already held; a read gives what was stored, and
    // a string stays a string.
    const bool object = value.metaType() == QMetaType::fromType<FontRef>()
        || value.metaType() == QMetaType::fromType<ObjectRef>();
    for (int i = 0; i < 2; ++i)
        fresh.invoke(id, object ? Call::Set : Call::Let, value);
    QCOMPARE(box.notified, QStringList({ name, name }));
    QVERIFY(variants_equal(fresh.invoke(id, Call::Get), value));
    if (name == "Zeigsmir")
        QCOMPARE(fresh.Zeigsmir().metaType(), QMetaType::fromType<QString>());
}

void tst_user_control::saving_restoring_and_the_rest()
{
    Container box;
    UserControl1 c(&box);
    c.InitProperties();
    RecordingBag bag;
    c.WriteProperties(bag);
    // Every key, in order, whether or not at its default; none at its default is stored.
    QCOMPARE(bag.written.join(' '),
        QString("BackColor ForeColor Enabled Font BackStyle BorderStyle ActiveControl Zeigsmir"));
    QVERIFY(bag.keys().isEmpty());
    // InitProperties leaves the control reference alone.
    c.invoke(dispid::ActiveControl, Call::Set, QVariant::fromValue(std::make_shared<QObject>()));
    c.InitProperties();
    QVERIFY(c.ActiveControl());
    // A value that cannot be read ends the restore: what came before it is kept, what comes
    // after it untouched.
    c.invoke(dispid::BorderStyle, Call::Let, 3);
    bag.set("forecolor", 77); // keys match without regard to case
    bag.set("FONT", QString("not a font"));
    bag.set("BorderStyle", 9);
    QVERIFY_THROWS_EXCEPTION(ControlError, c.ReadProperties(bag));
    QCOMPARE(QString("%1 %2").arg(c.ForeColor()).arg(c.BorderStyle()), QString("77 3"));
    // The table of declared events names exactly the control's signals (none is ever raised).
    QStringList signals_, listed;
    for (int i = c.metaObject()->methodOffset(); i < c.metaObject()->methodCount(); ++i)
        signals_ << QString("%1/%2")
                        .arg(c.metaObject()->method(i).name())
                        .arg(c.metaObject()->method(i).parameterCount());
    for (const DeclaredEvent& e : UserControl1::events)
        listed << QString("%1/%2").arg(e.name).arg(e.parameters);
    QCOMPARE(signals_, listed);
}

QTEST_MAIN(tst_user_control)
#include "tst_user_control.moc"
