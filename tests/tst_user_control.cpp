#include "hyperlink/property_bag.h"
#include "hyperlink/user_control.h"

#include <QMetaMethod>
#include <QTest>

#include <functional>

// Saved states of every kind through ReadProperties and WriteProperties are fuzzed
// (fuzz/fuzz_user_control.cpp); here: the member table, defaults, notifications, the order of
// saving, what a failed restore leaves, the other members and the declared events.
namespace {

struct Container : UserControlContainer {
    void PropertyChanged(const QString& name) override
    {
        notified << name;
        if (fail)
            throw ControlError(5, "container busy");
    }
    FontRef AmbientFont() override { return ambient; }
    HyperlinkRef Hyperlink() override { return link; }
    QStringList notified;
    bool fail = false;
    FontRef ambient = std::make_shared<FontObject>(FontObject { "Ambient", 8.25 });
    HyperlinkRef link = std::make_shared<DesktopHyperlink>();
};

// Records every WriteProperty call, and stores as the real bag does.
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

// The number of the ControlError that `f` ends with, or 0.
int error_number(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ControlError& e) {
        return e.number;
    }
    return 0;
}

using Call = UserControl1::Call;

} // namespace

class tst_user_control : public QObject {
    Q_OBJECT
private slots:
    void properties_data();
    void properties();
    void saving_and_failures();
    void other_members_and_events();
};

void tst_user_control::properties_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariant>("value"); // an object is assigned by Set, anything else by Let
    QTest::addColumn<QString>("initial"); // after InitProperties, and restored from no keys
    const auto font = QVariant::fromValue(std::make_shared<FontObject>(FontObject { "Other" }));
    const auto control = QVariant::fromValue(std::make_shared<QObject>());
    // clang-format off
    QTest::newRow("BackColor")     << "BackColor"     << 0x68030007 << QVariant(-16777216) << "int 0";
    QTest::newRow("ForeColor")     << "ForeColor"     << 0x68030006 << QVariant(255)       << "int 0";
    QTest::newRow("Enabled")       << "Enabled"       << 0x68030005 << QVariant(true)      << "bool false";
    QTest::newRow("Font")          << "Font"          << -512       << font                << "font Ambient";
    QTest::newRow("BackStyle")     << "BackStyle"     << 0x68030004 << QVariant(7)         << "short 0";
    QTest::newRow("BorderStyle")   << "BorderStyle"   << 0x68030003 << QVariant(-1)        << "short 0";
    QTest::newRow("ActiveControl") << "ActiveControl" << 0x68030001 << control             << "object none";
    QTest::newRow("Zeigsmir")      << "Zeigsmir"      << 0x68030000 << QVariant("0")       << "short 0";
    // clang-format on
}

void tst_user_control::properties()
{
    QFETCH(QString, name);
    QFETCH(int, id);
    QFETCH(QVariant, value);
    QFETCH(QString, initial);
    const auto member = std::find_if(UserControl1::members.begin(), UserControl1::members.end(),
        [&](const Member& m) { return name == m.name; });
    QVERIFY(member != UserControl1::members.end() && member->dispid == id);
    Container box;
    UserControl1 fresh(&box), restored(&box);
    fresh.InitProperties();
    PropertyBag empty;
    restored.ReadProperties(empty);
    QCOMPARE(text(fresh.invoke(id, Call::Get)) + " / " + text(restored.invoke(id, Call::Get)),
        initial + " / " + initial);
    QVERIFY(box.notified.isEmpty());
    // Every write notifies, also of the value already held; a read hands out what was stored.
    const Call call = value.metaType() == QMetaType::fromType<FontRef>()
            || value.metaType() == QMetaType::fromType<ObjectRef>()
        ? Call::Set
        : Call::Let;
    for (int i = 0; i < 2; ++i)
        fresh.invoke(id, call, value);
    QCOMPARE(box.notified, QStringList({ name, name }));
    QVERIFY(variants_equal(fresh.invoke(id, Call::Get), value));
    if (name == "Zeigsmir") // a string stays a string
        QCOMPARE(fresh.Zeigsmir().metaType(), QMetaType::fromType<QString>());
}

void tst_user_control::saving_and_failures()
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
    // after it untouched, and nothing leaks.
    c.invoke(dispid::BorderStyle, Call::Let, 3);
    bag.set("forecolor", 77); // keys match without regard to case
    bag.set("Enabled", -1);
    bag.set("FONT", QString("not a font"));
    bag.set("BorderStyle", 9);
    QCOMPARE(error_number([&] { c.ReadProperties(bag); }), control_errors::type_mismatch);
    QCOMPARE(QString("%1 %2 %3").arg(c.ForeColor()).arg(c.Enabled()).arg(c.BorderStyle()),
        QString("77 1 3"));
    QCOMPARE(c.Font(), box.ambient);
    QCOMPARE(box.ambient.use_count(), 2); // the container's and the control's
    bag.set("FONT", QVariant::fromValue(box.ambient));
    bag.set("BackStyle", 40000);
    QCOMPARE(error_number([&] { c.ReadProperties(bag); }), control_errors::overflow);
    // A failing notification still leaves the value stored, and reaches the caller.
    box.fail = true;
    QCOMPARE(error_number([&] { c.invoke(dispid::BackColor, Call::Let, 42); }), 5);
    QCOMPARE(c.BackColor(), 42);
}

void tst_user_control::other_members_and_events()
{
    Container box;
    UserControl1 c(&box);
    QCOMPARE(c.invoke(0x68030002, Call::Get).value<HyperlinkRef>(), box.link);
    box.link = std::make_shared<DesktopHyperlink>(); // asked of the container on every read
    QCOMPARE(c.invoke(0x68030002, Call::Get).value<HyperlinkRef>(), box.link);
    QVERIFY(!c.invoke(0x60030008, Call::Method).isValid()); // Refresh
    QVERIFY(box.notified.isEmpty());
    for (const auto& [id, call] :
        { std::pair { 0x68030002, Call::Let }, { 0x68030007, Call::Set }, { 0x1234, Call::Get } }) {
        const int number = error_number([&c, id = id, call = call] { c.invoke(id, call, 1); });
        QCOMPARE(number, control_errors::member_not_found);
    }
    // The table of declared events names exactly the control's signals (none is ever raised).
    QStringList signals_, listed;
    for (int i = c.metaObject()->methodOffset(); i < c.metaObject()->methodCount(); ++i)
        signals_ << QString("%1/%2")
                        .arg(c.metaObject()->method(i).name())
                        .arg(c.metaObject()->method(i).parameterCount());
    for (const DeclaredEvent& e : UserControl1::events)
        listed << QString("%1/%2").arg(e.name).arg(e.parameters);
    QCOMPARE(listed.join(' '),
        QString(
            "Click/0 DblClick/0 KeyDown/2 KeyPress/1 KeyUp/2 MouseDown/4 MouseMove/4 MouseUp/4"));
    QCOMPARE(signals_, listed);
}

QTEST_MAIN(tst_user_control)
#include "tst_user_control.moc"
