#include "hyperlink/property_bag.h"
#include "hyperlink/user_control.h"

#include <QTest>

namespace {

struct Container : UserControlContainer {
    void PropertyChanged(const QString& name) override { notified << name; }
    FontRef AmbientFont() override { return ambient; }
    HyperlinkRef Hyperlink() override { return link; }
    QStringList notified;
    FontRef ambient = std::make_shared<FontObject>(FontObject { "Ambient", 8.25 });
    HyperlinkRef link = std::make_shared<DesktopHyperlink>();
};

// A value as "type value": "int 0", "short -1", "font Ambient", "object none".
QString text(const QVariant& v)
{
    if (v.metaType() == QMetaType::fromType<FontRef>())
        return "font " + (v.value<FontRef>() ? v.value<FontRef>()->Name : "none");
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
    void restoring_data();
    void restoring();
    void saving();
};

void tst_user_control::properties_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariant>("value"); // of the type the property holds
    QTest::addColumn<QString>("initial"); // after InitProperties, and restored from no keys
    const auto font = QVariant::fromValue(std::make_shared<FontObject>(FontObject { "Other" }));
    const auto control = QVariant::fromValue(std::make_shared<QObject>());
    QTest::newRow("BackColor") << 0x68030007 << QVariant(-16777216) << "int 0";
    QTest::newRow("ForeColor") << 0x68030006 << QVariant(255) << "int 0";
    QTest::newRow("Enabled") << 0x68030005 << QVariant(true) << "bool false";
    QTest::newRow("Font") << -512 << font << "font Ambient";
    QTest::newRow("BackStyle") << 0x68030004 << QVariant::fromValue<qint16>(7) << "short 0";
    QTest::newRow("BorderStyle") << 0x68030003 << QVariant::fromValue<qint16>(-1) << "short 0";
    QTest::newRow("ActiveControl") << 0x68030001 << control << "object set";
    QTest::newRow("Zeigsmir") << 0x68030000 << QVariant("0") << "short 0";
}

void tst_user_control::properties()
{
    QFETCH(int, id);
    QFETCH(QVariant, value);
    QFETCH(QString, initial);
    Container box;
    UserControl1 fresh(&box);
    UserControl1 restored(&box);
    const auto control = std::make_shared<QObject>(); // InitProperties leaves it alone
    fresh.invoke(dispid::ActiveControl, Call::Set, QVariant::fromValue(control));
    fresh.InitProperties();
    PropertyBag empty;
    restored.ReadProperties(empty);
    QVariant held; // an unknown id throws: this row fails, the rows after it still run
    QVERIFY_THROWS_NO_EXCEPTION(held = fresh.invoke(id, Call::Get));
    QCOMPARE(text(held), initial);
    QCOMPARE(text(restored.invoke(id, Call::Get)), initial.replace("object set", "object none"));
    // Every write notifies, also of the value already held, after storing it as it is.
    box.notified.clear();
    const bool object = id == dispid::Font || id == dispid::ActiveControl;
    for (int i = 0; i < 2; ++i)
        fresh.invoke(id, object ? Call::Set : Call::Let, value);
    QCOMPARE(box.notified, QStringList(2, QTest::currentDataTag()));
    QCOMPARE(text(fresh.invoke(id, Call::Get)), text(value));
}

void tst_user_control::restoring_data()
{
    // One saved value under its key, read back: "type value", or the error's number.
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("saved");
    QTest::addColumn<QString>("restored");
    const auto font = QVariant::fromValue(std::make_shared<FontObject>(FontObject { "Saved" }));
    const auto none = QVariant::fromValue(ObjectRef());
    QTest::newRow("a number as text") << "BackColor" << QVariant(" 12 ") << "int 12";
    QTest::newRow("True is -1") << "BackColor" << QVariant(true) << "int -1";
    QTest::newRow("32-bit maximum") << "ForeColor" << QVariant(2147483647.0) << "int 2147483647";
    QTest::newRow("32-bit minimum") << "ForeColor" << QVariant(-2147483648.0) << "int -2147483648";
    QTest::newRow("above 32 bits") << "ForeColor" << QVariant(2147483648.0) << "error 6";
    QTest::newRow("below 32 bits") << "ForeColor" << QVariant(-2147483649.0) << "error 6";
    QTest::newRow("above 16 bits") << "BackStyle" << QVariant(32768) << "error 6";
    QTest::newRow("a half to even") << "BorderStyle" << QVariant(2.5) << "short 2";
    QTest::newRow("a half to even, up") << "BorderStyle" << QVariant(3.5) << "short 4";
    QTest::newRow("text") << "BorderStyle" << QVariant("abc") << "error 13";
    QTest::newRow("True as text") << "Enabled" << QVariant(" true ") << "bool true";
    QTest::newRow("False as text") << "Enabled" << QVariant("False") << "bool false";
    QTest::newRow("other text") << "Enabled" << QVariant("yes") << "error 13";
    QTest::newRow("text as a font") << "Font" << QVariant("Arial") << "error 13";
    QTest::newRow("no object as a font") << "Font" << none << "font none";
    QTest::newRow("a font as a control") << "ActiveControl" << font << "error 13";
}

void tst_user_control::restoring()
{
    QFETCH(QString, key);
    QFETCH(QVariant, saved);
    QFETCH(QString, restored);
    Container box;
    UserControl1 c(&box);
    PropertyBag bag;
    bag.set(key.toLower(), saved); // keys match without regard to case
    const auto member = std::find_if(UserControl1::members.begin(), UserControl1::members.end(),
        [&](const Member& m) { return key == m.name; });
    try {
        c.ReadProperties(bag);
        QCOMPARE(text(c.invoke(member->dispid, Call::Get)), restored);
    } catch (const ControlError& e) {
        QCOMPARE(QString("error %1").arg(e.number), restored);
    }
    QVERIFY(box.notified.isEmpty());
}

void tst_user_control::saving()
{
    Container box;
    UserControl1 c(&box); // zero, False and empty even before the container initialises it
    PropertyBag bag;
    c.WriteProperties(bag); // none at its default is stored
    QCOMPARE(bag.keys(), QStringList({ "Font", "Zeigsmir" })); // none yet, and nothing
    c.InitProperties();
    c.WriteProperties(bag);
    QVERIFY(bag.keys().isEmpty());
    // Set, saved, overwritten, restored: the values come back.
    const auto control = std::make_shared<QObject>();
    c.invoke(dispid::BackColor, Call::Let, 5);
    c.invoke(dispid::ActiveControl, Call::Set, QVariant::fromValue(control));
    c.invoke(dispid::Zeigsmir, Call::Let, "z");
    c.WriteProperties(bag);
    QCOMPARE(bag.keys(), QStringList({ "BackColor", "ActiveControl", "Zeigsmir" }));
    c.invoke(dispid::BackColor, Call::Let, 0); // back at its default: the key goes
    c.WriteProperties(bag);
    QCOMPARE(bag.keys(), QStringList({ "ActiveControl", "Zeigsmir" }));
    c.invoke(dispid::ActiveControl, Call::Set, QVariant::fromValue(ObjectRef()));
    c.ReadProperties(bag);
    QCOMPARE(c.ActiveControl(), control);
    QCOMPARE(c.Zeigsmir(), QVariant("z"));
    // Members that store nothing, and identifiers that name nothing.
    QVERIFY(!c.invoke(dispid::Refresh, Call::Method).isValid());
    QVERIFY_THROWS_EXCEPTION(ControlError, c.invoke(dispid::HyperLink, Call::Let, 1));
    QVERIFY_THROWS_EXCEPTION(ControlError, c.invoke(0x1234, Call::Get));
}

QTEST_MAIN(tst_user_control)
#include "tst_user_control.moc"
